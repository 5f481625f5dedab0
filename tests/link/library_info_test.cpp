// ZEQ_ErrorText and ZEQ_GetLibraryVersion. The return codes are taken from the public header's
// text, so a code added there without a text fails here.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "zeqlink.h"

namespace {

std::map<std::string, int> returnCodesOfHeader() {
    std::ifstream in(std::string(ZEQ_TEST_DIR) + "/../link/include/zeqlink.h");
    std::stringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    std::map<std::string, int> codes;
    const std::regex named(R"(\b(ZEQ_(?:OK|ERR_[A-Z0-9_]+))\s*=\s*(-?\d+))");
    for (auto it = std::sregex_iterator(s.begin(), s.end(), named); it != std::sregex_iterator();
         ++it) {
        codes[(*it)[1]] = std::stoi((*it)[2]);
    }
    return codes;
}

TEST(LibraryInfo, EveryReturnCodeOfTheHeaderHasItsOwnText) {
    const std::map<std::string, int> codes = returnCodesOfHeader();
    ASSERT_GE(codes.size(), 23u) << "return codes not found in the header";
    const std::string unknown = ZEQ_ErrorText(-12345);
    std::set<std::string> seen;
    for (const auto& [name, code] : codes) {
        const char* text = ZEQ_ErrorText(code);
        ASSERT_NE(text, nullptr) << name;
        EXPECT_NE(text, unknown) << name << " (" << code << ") has no text";
        EXPECT_TRUE(seen.insert(text).second) << name << " shares its text: " << text;
    }
    EXPECT_STREQ(ZEQ_ErrorText(ZEQ_ERR_AXIS), "invalid axis number");
}

TEST(LibraryInfo, CodesWithoutANameAreUnknown) {
    for (int code : {-1, 25, 1000}) {
        EXPECT_STREQ(ZEQ_ErrorText(code), "unknown error") << code;
    }
}

TEST(LibraryInfo, VersionIsTheProjectVersion) {
    EXPECT_TRUE(std::regex_match(ZEQ_GetLibraryVersion(), std::regex(R"(\d+\.\d+\.\d+)")));
    EXPECT_STRNE(ZEQ_GetLibraryVersion(), "0.0.0");
}

}  // namespace
