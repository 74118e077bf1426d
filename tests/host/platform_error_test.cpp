#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/PlatformError.h"

namespace {

template <typename Throw>
std::wstring Described(Throw raise) {
    try {
        raise();
    } catch (...) {
        return DescribeCurrentException();
    }
    return L"nothing thrown";
}

TEST(DescribeCurrentExceptionTest, NamesWhatEachKindOfErrorCarries) {
    EXPECT_EQ(Described([] { throw PlatformError(5, L"Zugriff verweigert: Übersicht"); }),
              L"Zugriff verweigert: Übersicht");
    EXPECT_EQ(Described([] {
                  throw std::runtime_error(
                      "Datei \xC3\xBC"
                      "berschrieben");
              }),
              L"Datei überschrieben");
    EXPECT_EQ(Described([] { throw 42; }), L"");
}

}  // namespace
