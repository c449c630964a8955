#pragma once
// The key-signature dialog: one of the fifteen key signatures, opened on the one in force.

#include <QDialog>

#include "score/edit_forms.h"

class QComboBox;

namespace plume {

class KeySignatureDialog : public QDialog {
    Q_OBJECT

public:
    explicit KeySignatureDialog(const KeySignatureForm& form, QWidget* parent = nullptr);

    // After OK: the key-signature number 0-14.
    std::uint8_t key() const { return std::uint8_t(m_form.key); }
    QComboBox* keyList() const { return m_key; }

public Q_SLOTS:
    void accept() override;

private:
    KeySignatureForm m_form;
    QComboBox* m_key = nullptr;
};

}  // namespace plume
