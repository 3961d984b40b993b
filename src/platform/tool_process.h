#pragma once
// A console tool started hidden with its output and error output on a pipe, which is drained
// on every poll so that the tool never stalls on a full pipe.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/services.h"
#include "platform/unique_handle.h"

namespace ft {

class ToolProcess : public RunningTool {
public:
    // `program` is the tool's full path; `commandLine` its whole command line.
    static ToolStart Start(const std::wstring& program, const std::wstring& commandLine);

    std::optional<std::uint32_t> Poll() override;
    std::wstring Output() const override;
    void Stop() override;

private:
    ToolProcess(HANDLE process, HANDLE outputPipe) : process_(process), outputPipe_(outputPipe) {}
    void Drain();

    UniqueHandle process_;
    UniqueHandle outputPipe_;
    std::vector<char> output_;
    std::optional<std::uint32_t> exitCode_;
};

}  // namespace ft
