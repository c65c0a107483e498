#include <gtest/gtest.h>

#include "testsupport/fakes.h"

namespace kpx::testing {

void ReportUnscriptedQuestion(const std::string& text) {
    ADD_FAILURE() << "a question no test answered: \"" << text << "\"";
}

}  // namespace kpx::testing
