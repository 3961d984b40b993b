// What a started tool inherits: the ends of its own pipes, and no other handle that happens to be
// inheritable in the program at that moment, such as another tool's pipe.
#include <windows.h>

#include <gtest/gtest.h>

#include "ui/common/platform_services.h"
#include "ui/common/tool_process.h"

namespace ft::ui {
namespace {

TEST(StartedTools, InheritNoStrayHandleOfTheProgram) {
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    HANDLE reader = nullptr;
    HANDLE writer = nullptr;
    ASSERT_TRUE(CreatePipe(&reader, &writer, &inheritable, 0));
    const UniqueHandle readEnd(reader);
    UniqueHandle writeEnd(writer);
    // A tool that keeps running: it fills its output pipe, which nothing reads until it is polled.
    ToolStart tool = Win32ProcessLauncher().StartTool(L"reg.exe query HKLM /s");
    ASSERT_TRUE(tool.tool) << tool.error.code;

    writeEnd.reset();
    DWORD available = 0;
    // With no write end left anywhere the pipe is broken.
    EXPECT_FALSE(PeekNamedPipe(reader, nullptr, 0, nullptr, &available, nullptr)) << "the tool holds the pipe";
    EXPECT_FALSE(tool.tool->Poll().has_value()) << "the tool ended too soon to show anything";
}

}  // namespace
}  // namespace ft::ui
