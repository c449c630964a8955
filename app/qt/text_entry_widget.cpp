#include "app/qt/text_entry_widget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace plume {

TextEntryWidget::TextEntryWidget(const QString& title, const QString& label, QWidget* parent)
    : QDockWidget(title, parent) {
    setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    auto* content = new QWidget(this);
    auto* layout = new QHBoxLayout(content);
    auto* caption = new QLabel(label, content);
    m_field = new QLineEdit(content);
    caption->setBuddy(m_field);
    layout->addWidget(caption);
    layout->addWidget(m_field, 1);
    setWidget(content);
    connect(m_field, &QLineEdit::returnPressed, this, &TextEntryWidget::take);
}

void TextEntryWidget::open() {
    show();
    raise();
    m_field->setFocus(Qt::OtherFocusReason);
}

void TextEntryWidget::take() {
    const std::string text = m_field->text().toStdString();
    m_field->clear();
    if (m_onEntry) m_onEntry(text);
}

}  // namespace plume
