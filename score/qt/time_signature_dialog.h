#pragma once
// The time-signature dialog: numerator and denominator, opened on the time signature in force.

#include <QDialog>

#include "score/edit_forms.h"

class QComboBox;
class QSpinBox;

namespace plume {

class TimeSignatureDialog : public QDialog {
    Q_OBJECT

public:
    explicit TimeSignatureDialog(const TimeSignatureForm& form, QWidget* parent = nullptr);

    // After OK.
    TimeSignature result() const { return m_form.result(); }
    QSpinBox* numeratorField() const { return m_numerator; }
    QComboBox* denominatorList() const { return m_denominator; }

public Q_SLOTS:
    void accept() override;

private:
    TimeSignatureForm m_form;
    QSpinBox* m_numerator = nullptr;
    QComboBox* m_denominator = nullptr;
};

}  // namespace plume
