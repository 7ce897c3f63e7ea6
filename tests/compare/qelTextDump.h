// Forced into every test of the object model and the comparer when the tree
// is configured with -DVELMORIN_TEXT_DUMP=ON: each text an EXPECT_EQ,
// ASSERT_EQ or EXPECT_STREQ compares is also written, in the order compared,
// to $VELMORIN_TEXT_DUMP/<binary>/<test>.txt. Two trees' folders compared
// byte for byte show that a change of structure left every produced text as
// it was (tests/compare/text-dump.sh).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <type_traits>

#ifndef QEL_TEXT_DUMP_BINARY
#define QEL_TEXT_DUMP_BINARY "tests"
#endif

namespace qeldump {

inline void Write(const char* expr, std::string_view text)
{
    const char* root = std::getenv("VELMORIN_TEXT_DUMP");
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    if (!root || !*root || !info)
        return;
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/' || c == '\\')
            c = '_';
    const auto folder = std::filesystem::path(root) / QEL_TEXT_DUMP_BINARY;
    std::filesystem::create_directories(folder);
    std::ofstream out(folder / (name + ".txt"), std::ios::binary | std::ios::app);
    out << "== " << expr << " (" << text.size() << " bytes)\n" << text << "\n";
}

template <class T> void WriteIfText(const char* expr, const T& value)
{
    if constexpr (std::is_convertible_v<const T&, std::string_view> && !std::is_null_pointer_v<T>) {
        if constexpr (std::is_pointer_v<T>) { // an array is never null
            if (value == nullptr)
                return;
        }
        Write(expr, std::string_view(value));
    }
}

template <class T1, class T2>
::testing::AssertionResult Eq(const char* e1, const char* e2, const T1& v1, const T2& v2)
{
    WriteIfText(e1, v1);
    WriteIfText(e2, v2);
    return ::testing::internal::EqHelper::Compare(e1, e2, v1, v2);
}

inline ::testing::AssertionResult StrEq(const char* e1, const char* e2, const char* v1, const char* v2)
{
    WriteIfText(e1, v1);
    WriteIfText(e2, v2);
    return ::testing::internal::CmpHelperSTREQ(e1, e2, v1, v2);
}

} // namespace qeldump

#undef EXPECT_EQ
#undef ASSERT_EQ
#undef EXPECT_STREQ
#define EXPECT_EQ(val1, val2) EXPECT_PRED_FORMAT2(::qeldump::Eq, val1, val2)
#define ASSERT_EQ(val1, val2) ASSERT_PRED_FORMAT2(::qeldump::Eq, val1, val2)
#define EXPECT_STREQ(s1, s2) EXPECT_PRED_FORMAT2(::qeldump::StrEq, s1, s2)
