#pragma once
// The project dialog "Plume-プロジェクトファイル": lays out the ProjectForm's fields.

#include <QDialog>
#include <array>
#include <optional>

#include "song/project_form.h"

class QComboBox;
class QLineEdit;
class QSpinBox;

namespace plume {

namespace platform {
class FileDialog;
}

class ProjectDialog : public QDialog {
    Q_OBJECT

public:
    ProjectDialog(const ProjectData& project, platform::FileDialog& files, QWidget* parent = nullptr);

    // After OK: the block for ProjectState::applyEdit.
    const std::optional<ProjectData>& result() const { return m_result; }
    const ProjectForm& form() const { return m_form; }

    QLineEdit* titleField() const { return m_title; }
    QLineEdit* memberField(std::size_t i) const { return m_members[i]; }
    QComboBox* keyList() const { return m_key; }
    QSpinBox* tempoField() const { return m_tempo; }
    // The "参照" button of member i, as a click.
    void browse(std::size_t i);

public Q_SLOTS:
    void accept() override;
    void reject() override;

private:
    void readFields();

    ProjectForm m_form;
    platform::FileDialog& m_files;
    std::optional<ProjectData> m_result;
    QLineEdit* m_title = nullptr;
    std::array<QLineEdit*, kMemberCount> m_members{};
    QComboBox* m_module = nullptr;
    QSpinBox* m_tempo = nullptr;
    QComboBox* m_key = nullptr;
    QSpinBox* m_numerator = nullptr;
    QComboBox* m_denominator = nullptr;
};

}  // namespace plume
