#pragma once
// A floating tool window of the main frame, shown and hidden by its show command. Closing it from
// its own title bar tells the frame, which clears the command's check mark.

#include <QWidget>

namespace plume {

struct PaletteMessage;

class PaletteWindow : public QWidget {
    Q_OBJECT

public:
    PaletteWindow(int showCommand, const QString& title, QWidget* frame);

    int showCommand() const { return m_command; }

Q_SIGNALS:
    void closedByFrame(int command);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    int m_command;
};

// A window that takes the palettes' entry requests in the active view's stead (the enlarged edit
// palette) while it is shown and the view lets it.
class PaletteReceiver {
public:
    virtual ~PaletteReceiver() = default;
    virtual void receive(const PaletteMessage& message) = 0;
};

}  // namespace plume
