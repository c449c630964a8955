#pragma once
// The file-dialog service over QFileDialog.

#include <QPointer>
#include <QWidget>

#include "platform/file_dialog.h"

namespace plume::platform {

class QtFileDialog : public FileDialog {
public:
    explicit QtFileDialog(QWidget* parent = nullptr) : m_parent(parent) {}
    std::optional<std::filesystem::path> askSaveName(std::string_view title, std::string_view filter,
                                                    std::string_view proposedName) override;
    std::optional<std::filesystem::path> askOpenName(std::string_view title, std::string_view filter) override;

private:
    QPointer<QWidget> m_parent;
    QString m_folder;  // where the last dialog ended
};

// "Plumeﾌｧｲﾙ (*.PLM)" as Qt's filter: the pattern in either case, so that "song.plm" shows too.
QString qtFilter(std::string_view filter);

}  // namespace plume::platform
