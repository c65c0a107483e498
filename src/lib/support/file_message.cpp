#include "support/file_message.h"

namespace kpx {

std::string FileMessage(const std::string& path, const std::string& message) {
    const bool named = message.rfind(path, 0) == 0 && message.size() > path.size() &&
                       (message[path.size()] == ' ' || message[path.size()] == ':');
    return named ? message : path + ": " + message;
}

}  // namespace kpx
