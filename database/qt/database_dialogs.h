#pragma once
// The database window's dialogs: "レコード入力" (one record) and "検索条件" (the search settings).

#include <QDialog>

#include "database/database_session.h"

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace plume {

namespace platform {
class FileDialog;
}

class RecordDialog : public QDialog {
    Q_OBJECT

public:
    RecordDialog(const RecordForm& form, platform::FileDialog& files, QWidget* parent = nullptr);

    // After OK: the record as entered.
    DbRecord record() const { return m_form.record(); }
    QLineEdit* categoryField() const { return m_category; }
    QLineEdit* memoField() const { return m_memo; }
    QLineEdit* fileField() const { return m_file; }
    QPushButton* browseButton() const { return m_browse; }

public Q_SLOTS:
    // Too long a category or memo keeps the dialog open with its message.
    void accept() override;
    // After an edit, asks "データの編集を破棄しますか？"; No keeps the dialog open.
    void reject() override;

private:
    void browse();
    RecordForm entered() const;

    RecordForm m_form;
    platform::FileDialog& m_files;
    QLineEdit* m_category = nullptr;
    QLineEdit* m_memo = nullptr;
    QLineEdit* m_file = nullptr;
    QPushButton* m_browse = nullptr;
};

class SearchDialog : public QDialog {
    Q_OBJECT

public:
    SearchDialog(const DbSearchSettings& settings, QWidget* parent = nullptr);

    // After OK: the settings with the text entered, which joins the history.
    const DbSearchSettings& settings() const { return m_settings; }
    QComboBox* textBox() const { return m_text; }
    QButtonGroup* methodButtons() const { return m_methods; }
    QButtonGroup* fieldButtons() const { return m_fields; }

public Q_SLOTS:
    void accept() override;

private:
    DbSearchSettings m_settings;
    QComboBox* m_text = nullptr;
    QButtonGroup* m_methods = nullptr;
    QButtonGroup* m_fields = nullptr;
};

}  // namespace plume
