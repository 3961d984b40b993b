#include "platform/tool_process.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <type_traits>
#include <vector>

#include "platform/platform_services.h"

namespace ft {
namespace {

// What is kept of the tool's output; more is read and dropped, so the tool never blocks.
constexpr std::size_t kOutputLimit = 64 * 1024;

ToolStart Refused(DWORD code) {
    ToolStart start;
    start.error = SystemErrorOf(code);
    return start;
}

}  // namespace

ToolStart ToolProcess::Start(const std::wstring& program, const std::wstring& commandLine) {
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return Refused(GetLastError());
    UniqueHandle reader(readEnd);
    UniqueHandle writer(writeEnd);
    if (!SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0)) return Refused(GetLastError());
    // Its input is empty: a question the tool might ask ends at once instead of waiting forever.
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING,
                             0, nullptr);
    if (nul == INVALID_HANDLE_VALUE) return Refused(GetLastError());
    UniqueHandle input(nul);

    // The tool inherits its two ends and nothing else the process holds at this moment (another
    // tool's pipe, a handle some library made inheritable), each listed once.
    HANDLE inherited[] = {input.get(), writer.get()};
    SIZE_T listBytes = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &listBytes);
    std::vector<std::byte> listMemory(listBytes);
    const auto list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(listMemory.data());
    if (!InitializeProcThreadAttributeList(list, 1, 0, &listBytes)) return Refused(GetLastError());
    const std::unique_ptr<std::remove_pointer_t<LPPROC_THREAD_ATTRIBUTE_LIST>, decltype(&DeleteProcThreadAttributeList)>
        listInUse(list, &DeleteProcThreadAttributeList);
    if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited, sizeof(inherited), nullptr,
                                   nullptr)) {
        return Refused(GetLastError());
    }

    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof(startup);
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    startup.StartupInfo.hStdInput = input.get();
    startup.StartupInfo.hStdOutput = writer.get();
    startup.StartupInfo.hStdError = writer.get();
    startup.lpAttributeList = list;
    // A handle list only takes effect with inheritance on.
    StartedProcess started =
        StartProcess(program, commandLine, startup.StartupInfo, true, CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT);
    if (!started.process) return Refused(started.error);
    // Our copies of the tool's ends close here: a tool started later must not inherit them.
    ToolStart start;
    start.tool.reset(new ToolProcess(started.process.release(), reader.release()));
    return start;
}

std::optional<std::uint32_t> ToolProcess::Poll() {
    if (exitCode_) return exitCode_;
    Drain();
    if (WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(process_.get(), &code)) code = static_cast<DWORD>(-1);
    Drain();  // what it wrote just before it ended
    exitCode_ = code;
    process_.reset();
    outputPipe_.reset();
    return exitCode_;
}

void ToolProcess::Stop() {
    // The ending is asynchronous: Poll sees the process end, and only then is the run over,
    // so that a later export never deletes a file the tool still holds.
    if (process_) TerminateProcess(process_.get(), ERROR_TIMEOUT);
}

void ToolProcess::Drain() {
    char buffer[4096];
    for (;;) {
        // Reading no more than the pipe holds never waits.
        DWORD available = 0;
        if (!PeekNamedPipe(outputPipe_.get(), nullptr, 0, nullptr, &available, nullptr) || available == 0) return;
        DWORD read = 0;
        const DWORD wanted = std::min<DWORD>(available, sizeof(buffer));
        if (!ReadFile(outputPipe_.get(), buffer, wanted, &read, nullptr) || read == 0) return;
        const std::size_t room = kOutputLimit - std::min(kOutputLimit, output_.size());
        output_.insert(output_.end(), buffer, buffer + std::min<std::size_t>(read, room));
    }
}

std::wstring ToolProcess::Output() const {
    // A console tool writing to a pipe encodes its text in its console's code page, which for
    // the hidden console it was given is the OEM code page.
    const int bytes = static_cast<int>(output_.size());
    if (bytes == 0) return std::wstring();
    const UINT codePage = GetOEMCP();
    const int chars = MultiByteToWideChar(codePage, 0, output_.data(), bytes, nullptr, 0);
    if (chars <= 0) return std::wstring();
    std::wstring text(static_cast<std::size_t>(chars), L'\0');
    MultiByteToWideChar(codePage, 0, output_.data(), bytes, text.data(), chars);
    return text;
}

}  // namespace ft
