#pragma once

#include <QWidget>

#include "support/user_dialogs.h"

namespace kpx::gui {

// The real message boxes. Texts arrive as Windows-1252 bytes.
class QtUserDialogs final : public UserDialogs {
  public:
    explicit QtUserDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    DialogAnswer Message(const std::string& text, DialogButtons buttons, DialogIcon icon) override;

  private:
    QWidget* parent_;
};

QString FromCp1252(const std::string& bytes);
std::string ToCp1252(const QString& text);

}  // namespace kpx::gui
