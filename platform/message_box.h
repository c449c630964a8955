#pragma once
// The message-box service: the logic reports with a fixed text and gets the user's answer.

#include <cstdarg>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace plume::platform {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual Answer show(std::string_view text, Buttons buttons = Buttons::Ok) = 0;
};

// The service in use; stderr until a window system or a test installs its own.
MessageBox& messageBox();
// Installs `box` (not owned) for the whole process; nullptr goes back to stderr.
void installMessageBox(MessageBox* box);

// Shows a message and answers the first button (Ok or Yes): the command line has nobody to ask.
class StderrMessageBox : public MessageBox {
public:
    Answer show(std::string_view text, Buttons buttons) override;
};

// For tests: remembers every text shown and answers from a script, then with the first button.
class ScriptedMessageBox : public MessageBox {
public:
    ScriptedMessageBox();
    ~ScriptedMessageBox() override;
    Answer show(std::string_view text, Buttons buttons) override;
    void script(std::initializer_list<Answer> answers) { m_answers.insert(m_answers.end(), answers); }
    const std::vector<std::string>& shown() const { return m_shown; }
    void clear() { m_shown.clear(); }

private:
    std::vector<std::string> m_shown;
    std::deque<Answer> m_answers;
    MessageBox* m_previous;
};

// printf-style formatting of the fixed message texts ("%s\n...", "%d").
std::string formatMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace plume::platform
