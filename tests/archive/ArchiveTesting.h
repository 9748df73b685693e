#pragma once

#include "ArchiveBuilder.h"
#include "LocaleEnvironment.h"
#include "TempDir.h"

#include <cctype>
#include <functional>
#include <gtest/gtest.h>
#include <string>

// The GoogleTest helpers of the engine's tests.
namespace trovel::testing {

// A table row's label as a test name: "bad Adler-32" gives "bad_Adler_32".
struct TLabelName
{
    template <typename TInfo>
    std::string operator()(const TInfo &Info) const
    {
        std::string name = Info.param.Label;
        for (char &c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    }
};

// Runs Action and checks that it raises exactly TError with the given message.
template <typename TError>
void ExpectError(const std::function<void()> &Action, const std::string &Message)
{
    try {
        Action();
        ADD_FAILURE() << "no error raised, expected: " << Message;
    } catch (const TError &e) {
        EXPECT_EQ(e.Message(), Message);
    } catch (const std::exception &e) {
        ADD_FAILURE() << "wrong error kind: " << e.what() << ", expected: " << Message;
    }
}

} // namespace trovel::testing
