#pragma once
// "タイ": lists the TieForm's keys to mark, with "セット" and "リセット".

#include <QDialog>

#include "score/edit_forms.h"

class QListWidget;
class QRadioButton;

namespace plume {

class TieDialog : public QDialog {
    Q_OBJECT

public:
    explicit TieDialog(const TieForm& form, QWidget* parent = nullptr);

    // After OK: the marked keys and whether they are tied or untied.
    const TieForm& form() const { return m_form; }
    QListWidget* keyList() const { return m_keys; }
    QRadioButton* resetButton() const { return m_reset; }

public Q_SLOTS:
    void accept() override;

private:
    TieForm m_form;
    QListWidget* m_keys = nullptr;
    QRadioButton* m_set = nullptr;
    QRadioButton* m_reset = nullptr;
};

}  // namespace plume
