#pragma once
// "編集－トランスポーズ": lays out the TransposeForm's unit choice and shift.

#include <QDialog>
#include <optional>

#include "score/edit_forms.h"

class QRadioButton;
class QSpinBox;

namespace plume {

class TransposeDialog : public QDialog {
    Q_OBJECT

public:
    explicit TransposeDialog(const TransposeForm& form, QWidget* parent = nullptr);

    // After OK: the shift in semitones.
    std::optional<int> semitones() const { return m_form.semitones(); }
    QRadioButton* octaveButton() const { return m_octaves; }
    QSpinBox* amountField() const { return m_amount; }

public Q_SLOTS:
    void accept() override;

private:
    void unitChosen();

    TransposeForm m_form;
    QRadioButton* m_semitones = nullptr;
    QRadioButton* m_octaves = nullptr;
    QSpinBox* m_amount = nullptr;
};

}  // namespace plume
