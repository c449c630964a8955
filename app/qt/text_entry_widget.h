#pragma once
// The lyric bar "歌詞入力" (field "歌詞") and the chord-name bar "コード名入力" (field
// "コード名"): Return hands the text to the frame, which sets it on the active view's cursor group.

#include <QDockWidget>
#include <functional>
#include <string>

class QLineEdit;

namespace plume {

class TextEntryWidget : public QDockWidget {
    Q_OBJECT

public:
    using EntryHandler = std::function<void(const std::string& utf8)>;

    TextEntryWidget(const QString& title, const QString& label, QWidget* parent = nullptr);

    void setEntryHandler(EntryHandler handler) { m_onEntry = std::move(handler); }
    // Shows the bar with the focus in its field.
    void open();
    QLineEdit* field() const { return m_field; }

private:
    void take();

    QLineEdit* m_field;
    EntryHandler m_onEntry;
};

}  // namespace plume
