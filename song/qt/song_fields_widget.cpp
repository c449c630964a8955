#include "song/qt/song_fields_widget.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QSpinBox>

#include "song/project_form.h"

namespace plume {

QSpinBox* makeNumeratorField(int value, QWidget* parent) {
    auto* field = new QSpinBox(parent);
    field->setRange(kNumeratorMin, kNumeratorMax);
    field->setValue(value);
    return field;
}

QComboBox* makeDenominatorList(int index, QWidget* parent) {
    auto* list = new QComboBox(parent);
    for (const char* name : kDenominatorNames) list->addItem(QString::fromUtf8(name));
    list->setCurrentIndex(index);
    return list;
}

QDialogButtonBox* makeOkCancelButtons(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(dialog);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

}  // namespace plume
