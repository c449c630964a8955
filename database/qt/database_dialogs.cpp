#include "database/qt/database_dialogs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/cp932.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "song/project.h"

namespace plume {

namespace {

QString qt(const std::string& utf8) { return QString::fromStdString(utf8); }

QDialogButtonBox* okCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(dialog);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

}  // namespace

// ---- "レコード入力" ---------------------------------------------------------------------------------

RecordDialog::RecordDialog(const RecordForm& form, platform::FileDialog& files, QWidget* parent)
    : QDialog(parent), m_form(form), m_files(files) {
    setWindowTitle(QStringLiteral("レコード入力"));
    m_category = new QLineEdit(qt(form.category), this);
    m_memo = new QLineEdit(qt(form.memo), this);
    m_file = new QLineEdit(qt(form.fileName), this);
    m_browse = new QPushButton(QStringLiteral("参照"), this);
    connect(m_browse, &QPushButton::clicked, this, &RecordDialog::browse);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(m_browse);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("分類"), m_category);
    fields->addRow(QStringLiteral("メモ"), m_memo);
    fields->addRow(QStringLiteral("ファイル"), fileRow);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(okCancel(this));
    resize(480, sizeHint().height());
}

RecordForm RecordDialog::entered() const {
    return {m_file->text().toStdString(), m_category->text().toStdString(), m_memo->text().toStdString()};
}

void RecordDialog::browse() {
    const auto path = m_files.askOpenName("ファイル名の取得", kDbSongFilter);
    if (!path) return;
    m_file->setText(qt(utf8Of(*path)));
    m_file->setFocus();
    m_file->selectAll();
}

void RecordDialog::accept() {
    const RecordForm form = entered();
    if (const auto problem = form.problem()) {
        platform::messageBox().show(*problem);
        return;
    }
    m_form = form;
    QDialog::accept();
}

void RecordDialog::reject() {
    const RecordForm now = entered();
    const bool edited = now.fileName != m_form.fileName || now.category != m_form.category || now.memo != m_form.memo;
    if (edited && platform::messageBox().show("データの編集を破棄しますか？", platform::Buttons::YesNo) !=
                      platform::Answer::Yes)
        return;
    QDialog::reject();
}

// ---- "検索条件" -----------------------------------------------------------------------------------

SearchDialog::SearchDialog(const DbSearchSettings& settings, QWidget* parent) : QDialog(parent), m_settings(settings) {
    setWindowTitle(QStringLiteral("検索条件"));
    m_text = new QComboBox(this);
    m_text->setEditable(true);
    m_text->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& text : settings.history) m_text->addItem(qt(platform::cp932ToUtf8Lossy(text)));
    m_text->setEditText(qt(platform::cp932ToUtf8Lossy(settings.text)));

    auto* methodBox = new QGroupBox(QStringLiteral("検索方法"), this);
    auto* methodLayout = new QVBoxLayout(methodBox);
    m_methods = new QButtonGroup(this);
    for (auto [label, id] : {std::pair{"部分一致", 0}, std::pair{"完全一致", 1}}) {
        auto* button = new QRadioButton(QString::fromUtf8(label), methodBox);
        m_methods->addButton(button, id);
        methodLayout->addWidget(button);
    }
    m_methods->button(int(settings.method))->setChecked(true);

    auto* fieldBox = new QGroupBox(QStringLiteral("検索項目"), this);
    auto* fieldLayout = new QVBoxLayout(fieldBox);
    m_fields = new QButtonGroup(this);
    for (auto [label, id] : {std::pair{"分類", 0}, std::pair{"メモ", 1}, std::pair{"ファイル名", 2}}) {
        auto* button = new QRadioButton(QString::fromUtf8(label), fieldBox);
        m_fields->addButton(button, id);
        fieldLayout->addWidget(button);
    }
    m_fields->button(int(settings.field))->setChecked(true);

    auto* boxes = new QHBoxLayout;
    boxes->addWidget(methodBox);
    boxes->addWidget(fieldBox);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addLayout(boxes);
    layout->addWidget(okCancel(this));
}

void SearchDialog::accept() {
    const auto text = platform::utf8ToCp932(m_text->currentText().toStdString());
    if (!text) {
        platform::messageBox().show("Shift-JISで表せない文字が含まれています。");
        return;
    }
    DbRecord clipped;  // the text is kept to 40 bytes of whole characters
    clipped.setField(DbField::Memo, *text);
    m_settings.text = std::string(clipped.memo());
    m_settings.remember(m_settings.text);
    m_settings.method = DbMatch(m_methods->checkedId());
    m_settings.field = DbField(m_fields->checkedId());
    QDialog::accept();
}

}  // namespace plume
