#pragma once
// Fields that several song dialogs share: the time signature's numerator and denominator, and the
// dialogs' OK / キャンセル buttons.

class QComboBox;
class QDialog;
class QDialogButtonBox;
class QSpinBox;
class QWidget;

namespace plume {

// Numerator spin box, kNumeratorMin..kNumeratorMax.
QSpinBox* makeNumeratorField(int value, QWidget* parent);
// Denominator list "2" .. "32", selected by index.
QComboBox* makeDenominatorList(int index, QWidget* parent);
// "OK" and "キャンセル" wired to the dialog's accept() and reject().
QDialogButtonBox* makeOkCancelButtons(QDialog* dialog);

}  // namespace plume
