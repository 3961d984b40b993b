// What a started tool inherits: its own pipe ends, not whatever else is inheritable in the
// program at that moment (another tool's pipe, a handle a library left inheritable).
#include <gtest/gtest.h>

#include "platform/platform_services.h"
#include "platform/tool_process.h"

namespace ft {
namespace {

TEST(StartedTools, InheritNoStrayHandleOfTheProgram) {
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    HANDLE reader = nullptr, writer = nullptr;
    ASSERT_TRUE(CreatePipe(&reader, &writer, &inheritable, 0));
    const UniqueHandle readEnd(reader);
    UniqueHandle writeEnd(writer);
    // A tool that keeps running: it fills its output pipe, which nothing reads until it is polled.
    const ToolStart tool = Win32ProcessLauncher().StartTool(L"reg.exe query HKLM /s");
    writeEnd.reset();
    ASSERT_TRUE(tool.tool) << tool.error.code;
    DWORD available = 0;  // with no write end left anywhere, the pipe is broken
    EXPECT_FALSE(PeekNamedPipe(reader, nullptr, 0, nullptr, &available, nullptr)) << "the tool holds the pipe";
    EXPECT_FALSE(tool.tool->Poll().has_value()) << "the tool ended too soon to show anything";
}

}  // namespace
}  // namespace ft
