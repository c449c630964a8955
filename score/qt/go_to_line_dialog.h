#pragma once
// "行番号の指定": asks for a line number between 1 and the last one.

#include <QDialog>
#include <optional>

#include "score/edit_forms.h"

class QLineEdit;

namespace plume {

class GoToLineDialog : public QDialog {
    Q_OBJECT

public:
    explicit GoToLineDialog(const GoToLineForm& form, QWidget* parent = nullptr);

    // After OK: the line index to go to.
    std::optional<int> line() const { return m_line; }
    QLineEdit* numberField() const { return m_number; }

public Q_SLOTS:
    void accept() override;

private:
    GoToLineForm m_form;
    std::optional<int> m_line;
    QLineEdit* m_number = nullptr;
};

}  // namespace plume
