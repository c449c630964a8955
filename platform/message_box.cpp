#include "platform/message_box.h"

#include <cstdio>

namespace plume::platform {

namespace {
StderrMessageBox g_stderrBox;
MessageBox* g_box = &g_stderrBox;

Answer firstButton(Buttons buttons) {
    return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
}
}  // namespace

MessageBox& messageBox() { return *g_box; }

void installMessageBox(MessageBox* box) { g_box = box ? box : &g_stderrBox; }

Answer StderrMessageBox::show(std::string_view text, Buttons buttons) {
    std::fprintf(stderr, "%.*s\n", int(text.size()), text.data());
    return firstButton(buttons);
}

ScriptedMessageBox::ScriptedMessageBox() : m_previous(&messageBox()) { installMessageBox(this); }

ScriptedMessageBox::~ScriptedMessageBox() { installMessageBox(m_previous); }

Answer ScriptedMessageBox::show(std::string_view text, Buttons buttons) {
    m_shown.emplace_back(text);
    if (m_answers.empty()) return firstButton(buttons);
    const Answer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

std::string formatMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(length > 0 ? std::size_t(length) : 0, '\0');
    if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    return text;
}

}  // namespace plume::platform
