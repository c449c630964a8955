#pragma once
// CPlmChildWnd: the MDI child window of one song. It owns the song's document and hosts the effect
// bar above either the score view or the effect-edit display, and answers the project logic as a
// SongWindow.

#include <QMdiSubWindow>
#include <filesystem>
#include <memory>

#include "song/project.h"

class QStackedWidget;

namespace plume {

class CMainFrame;
class CPlmDoc;
class CPlmView;
class EffectBar;
class EffectEditWidget;

class CPlmChildWnd : public QMdiSubWindow {
    Q_OBJECT

public:
    // `path` is empty for a song that was never saved.
    CPlmChildWnd(std::unique_ptr<CPlmDoc> document, std::filesystem::path path, CMainFrame& frame);
    ~CPlmChildWnd() override;

    CPlmDoc& document() { return *m_document; }
    const CPlmDoc& document() const { return *m_document; }
    CPlmView& view() { return *m_view; }
    EffectBar& effectBar() { return *m_effectBar; }
    EffectEditWidget& effectDisplay() { return *m_effectDisplay; }
    // 0 the score ("楽譜表示形式"), 1 the effect-edit display ("効果編集表示形式").
    void setDisplayMode(int mode);
    int displayMode() const;
    const std::filesystem::path& path() const { return m_path; }
    // The document's title: the file name ("Untitled" for a song never saved), " - " and the name
    // of the song's initial instrument.
    std::string title() const;
    bool isModified() const;
    // After the song's settings changed: the title is rebuilt and the view lays the song out again.
    void settingsChanged();

    bool save();
    bool saveAs(const std::filesystem::path& path);
    // Saves under the song's path, or asks for a name first when it has none.
    bool saveOrAsk();
    // "名前を付けて保存": asks for a name, saves under it and lists it among the recent files.
    bool saveAsAsking();
    // Closes without the save question, as the project logic does after it has asked.
    void closeWithoutAsking();
    // True from the moment a close was accepted until the window is gone.
    bool isClosing() const { return m_closing; }

    SongWindow& songWindow() { return m_songWindow; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The project logic's view of this window.
    class Handle : public SongWindow {
    public:
        explicit Handle(CPlmChildWnd& window) : m_window(window) {}
        std::filesystem::path path() const override { return m_window.path(); }
        std::string title() const override { return m_window.title(); }
        bool isModified() const override { return m_window.isModified(); }
        bool isMinimised() const override { return m_window.isMinimized(); }
        bool save() override { return m_window.save(); }
        bool saveAs(const std::filesystem::path& path) override { return m_window.saveAs(path); }
        void close() override { m_window.closeWithoutAsking(); }

    private:
        CPlmChildWnd& m_window;
    };

    void updateTitle();
    // After the song changed from the effect bar or the effect-edit display.
    void effectsEdited();
    void cursorMoved();

    CMainFrame& m_frame;
    std::unique_ptr<CPlmDoc> m_document;
    std::filesystem::path m_path;
    CPlmView* m_view;
    EffectBar* m_effectBar;
    EffectEditWidget* m_effectDisplay;
    QStackedWidget* m_displays;
    Handle m_songWindow{*this};
    bool m_closeWithoutAsking = false;
    bool m_closing = false;
};

}  // namespace plume
