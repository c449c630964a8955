#include "score/qt/tie_dialog.h"

#include "song/qt/song_fields_widget.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QRadioButton>
#include <QVBoxLayout>

namespace plume {

TieDialog::TieDialog(const TieForm& form, QWidget* parent) : QDialog(parent), m_form(form) {
    setWindowTitle(QStringLiteral("タイ"));
    m_keys = new QListWidget(this);
    for (std::size_t i = 0; i < m_form.keys().size(); ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(TieForm::keyText(m_form.keys()[i])), m_keys);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(m_form.isMarked(i) ? Qt::Checked : Qt::Unchecked);
    }
    m_set = new QRadioButton(QStringLiteral("セット"), this);
    m_reset = new QRadioButton(QStringLiteral("リセット"), this);
    (m_form.setsTies() ? m_set : m_reset)->setChecked(true);
    auto* choice = new QHBoxLayout;
    choice->addWidget(m_set);
    choice->addWidget(m_reset);

    auto* buttons = makeOkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_keys);
    layout->addLayout(choice);
    layout->addWidget(buttons);
}

void TieDialog::accept() {
    for (int i = 0; i < m_keys->count(); ++i)
        m_form.setMarked(std::size_t(i), m_keys->item(i)->checkState() == Qt::Checked);
    m_form.setSetsTies(m_set->isChecked());
    QDialog::accept();
}

}  // namespace plume
