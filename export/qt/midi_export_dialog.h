#pragma once
// The options dialog "MIDI ﾌｧｲﾙ 作成": lays out the MidiExportForm's choices.

#include <QDialog>
#include <array>

#include "export/midi_export_form.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;

namespace plume {

class MidiExportDialog : public QDialog {
    Q_OBJECT

public:
    explicit MidiExportDialog(QWidget* parent = nullptr);

    // After OK: the checked options.
    const MidiExportOptions& options() const { return m_options; }

    QButtonGroup* formatButtons() const { return m_format; }
    QButtonGroup* timeBaseButtons() const { return m_timeBase; }
    QButtonGroup* resetButtons() const { return m_reset; }
    QLineEdit* otherTimeBaseField() const { return m_other; }
    QCheckBox* restBarBox() const { return m_restBar; }

public Q_SLOTS:
    void accept() override;

private:
    MidiExportForm form() const;

    QButtonGroup* m_format = nullptr;
    QButtonGroup* m_timeBase = nullptr;
    QButtonGroup* m_reset = nullptr;
    QLineEdit* m_other = nullptr;
    QCheckBox* m_restBar = nullptr;
    MidiExportOptions m_options;
};

}  // namespace plume
