#include "print/qt/page_layout_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include "song/qt/song_fields_widget.h"

namespace plume {

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

PageLayoutDialog::PageLayoutDialog(platform::Profile& profile, QPrinter& printer, QWidget* parent)
    : QDialog(parent), m_profile(profile), m_printer(printer) {
    setWindowTitle(QStringLiteral("ﾍﾟｰｼﾞﾚｱｳﾄの設定"));
    const PageLayoutForm values = PageLayoutForm::of(loadPageLayout(profile));
    auto* grid = new QGridLayout;
    auto addField = [&](int row, const QString& label, const std::string& value, bool millimetres) {
        auto* edit = new QLineEdit(qs(value), this);
        edit->setMaximumWidth(60);
        auto* name = new QLabel(label, this);
        name->setBuddy(edit);
        grid->addWidget(name, row, 0);
        grid->addWidget(edit, row, 1);
        if (millimetres) grid->addWidget(new QLabel(QStringLiteral("mm"), this), row, 2);
        return edit;
    };
    m_left = addField(0, QStringLiteral("左"), values.left, true);
    m_top = addField(1, QStringLiteral("上"), values.top, true);
    m_right = addField(2, QStringLiteral("右"), values.right, true);
    m_bottom = addField(3, QStringLiteral("下"), values.bottom, true);
    m_resolution = addField(4, QStringLiteral("分解能"), values.resolution, false);

    auto* buttons = makeOkCancelButtons(this);
    m_setup = buttons->addButton(QStringLiteral("(&S)ﾌﾟﾘﾝﾀの設定"), QDialogButtonBox::ActionRole);
    connect(m_setup, &QPushButton::clicked, this, [this] { QPageSetupDialog(&m_printer, this).exec(); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

QLineEdit* PageLayoutDialog::field(PageLayoutField field) const {
    switch (field) {
    case PageLayoutField::Left: return m_left;
    case PageLayoutField::Right: return m_right;
    case PageLayoutField::Top: return m_top;
    case PageLayoutField::Bottom: return m_bottom;
    case PageLayoutField::Resolution: break;
    }
    return m_resolution;
}

PageLayoutForm PageLayoutDialog::form() const {
    return {m_left->text().toStdString(), m_top->text().toStdString(), m_right->text().toStdString(),
            m_bottom->text().toStdString(), m_resolution->text().toStdString()};
}

void PageLayoutDialog::accept() {
    if (const auto fault = form().accept(m_profile)) {
        QLineEdit* edit = field(*fault);
        edit->setFocus();
        edit->selectAll();
        return;
    }
    QDialog::accept();
}

}  // namespace plume
