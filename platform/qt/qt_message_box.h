#pragma once
// The message-box service as a modal QMessageBox with Japanese button texts.

#include <QPointer>
#include <QWidget>

#include "platform/message_box.h"

namespace plume::platform {

class QtMessageBox : public MessageBox {
public:
    // Boxes are centred on `parent` while it exists.
    explicit QtMessageBox(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    Answer show(std::string_view text, Buttons buttons) override;

private:
    QPointer<QWidget> m_parent;
};

}  // namespace plume::platform
