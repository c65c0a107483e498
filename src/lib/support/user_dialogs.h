#pragma once

#include <string>

namespace kpx {

enum class DialogIcon { None, Information, Warning, Critical };
enum class DialogButtons { Ok, YesNo };
enum class DialogAnswer { Ok, Yes, No };

// Every message the user sees goes through here: a modal box with a fixed text.
// The GUI shows a QMessageBox, the CLI prints to stderr, tests record and answer as scripted.
// Texts are Windows-1252 bytes, like the image's texts.
class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    virtual DialogAnswer Message(const std::string& text, DialogButtons buttons,
                                 DialogIcon icon) = 0;

    void Inform(const std::string& text) { Message(text, DialogButtons::Ok, DialogIcon::None); }
    void Warn(const std::string& text) { Message(text, DialogButtons::Ok, DialogIcon::Warning); }
    bool AskYesNo(const std::string& text, DialogIcon icon = DialogIcon::None) {
        return Message(text, DialogButtons::YesNo, icon) == DialogAnswer::Yes;
    }
};

}  // namespace kpx
