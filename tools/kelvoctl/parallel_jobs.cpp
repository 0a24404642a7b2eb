#include "tools/kelvoctl/parallel_jobs.h"

#include "tools/kelvoctl/progress.h"

#include <iostream>
#include <mutex>
#include <streambuf>
#include <thread>

namespace kelvo::ctl {

namespace {

bool ParsePort(const std::string& text, int& port) {
    if (text.empty() || text.size() > 3 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    port = std::stoi(text);
    return port >= 1 && port <= 255;
}

// std::cerr while jobs run side by side: each thread's text is gathered up
// to its line end and written as one piece, behind the thread's label.
class TLabelledLines : public std::streambuf {
public:
    explicit TLabelledLines(std::streambuf* target) : FTarget(target) {}
    static thread_local std::string Label;

protected:
    int overflow(int ch) override {
        if (ch == traits_type::eof())
            return traits_type::not_eof(ch);
        Pending() += static_cast<char>(ch);
        if (ch == '\n')
            Emit();
        return ch;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        for (std::streamsize i = 0; i < count; ++i)
            overflow(static_cast<unsigned char>(text[i]));
        return count;
    }

public:
    // What a thread left without a line end.
    void FlushThread() {
        if (!Pending().empty()) {
            Pending() += '\n';
            Emit();
        }
    }

private:
    static std::string& Pending() {
        thread_local std::string pending;
        return pending;
    }
    void Emit() {
        const std::string line = Label + Pending();
        Pending().clear();
        const std::lock_guard<std::mutex> lock(FMutex);
        FTarget->sputn(line.data(), static_cast<std::streamsize>(line.size()));
        FTarget->pubsync();
    }

    std::streambuf* FTarget;
    std::mutex FMutex;
};

thread_local std::string TLabelledLines::Label;

// Puts the labelled buffer into std::cerr for as long as it exists.
class TLabelledScope {
public:
    TLabelledScope() : FBuffer(std::cerr.rdbuf()) { FSaved = std::cerr.rdbuf(&FBuffer); }
    ~TLabelledScope() {
        FBuffer.FlushThread();
        std::cerr.rdbuf(FSaved);
    }
    TLabelledScope(const TLabelledScope&) = delete;
    TLabelledScope& operator=(const TLabelledScope&) = delete;
    TLabelledLines& Buffer() { return FBuffer; }

private:
    TLabelledLines FBuffer;
    std::streambuf* FSaved = nullptr;
};

int Rank(int exit) {
    if (exit >= 128)
        return 5;
    switch (exit) {
    case 0:
        return 0;
    case 3:
        return 1;
    case 1:
        return 2;
    case 2:
        return 3;
    default:
        return 4;
    }
}

} // namespace

TDeviceList SplitDevices(const std::vector<std::string>& args) {
    TDeviceList list;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string name = arg;
        std::string value;
        bool hasValue = false;
        if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            hasValue = true;
        }
        if (name != "--device" && name != "--port") {
            list.Rest.push_back(arg);
            continue;
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) {
                list.Error = "option " + name + " needs a value";
                return list;
            }
            value = args[++i];
        }
        if (name == "--device") {
            if (value.empty()) {
                list.Error = "--device needs a path";
                return list;
            }
            list.Devices.push_back(value);
            continue;
        }
        const auto dash = value.find('-');
        int first = 0;
        int last = 0;
        const bool ok = dash == std::string::npos
                            ? ParsePort(value, first) && (last = first, true)
                            : ParsePort(value.substr(0, dash), first) &&
                                  ParsePort(value.substr(dash + 1), last) && first <= last;
        if (!ok) {
            list.Error = "--port must be a number from 1 to 255 or a range such as 1-8";
            return list;
        }
        for (int port = first; port <= last; ++port)
            list.Ports.push_back(port);
    }
    return list;
}

int WorseExit(int a, int b) {
    return Rank(b) > Rank(a) ? b : a;
}

std::vector<TJobResult> RunSideBySide(const std::vector<std::string>& labels,
                                      const std::vector<std::function<TJobResult()>>& jobs) {
    std::vector<TJobResult> results(jobs.size());
    TLabelledScope scope;
    std::vector<std::thread> threads;
    threads.reserve(jobs.size());
    for (std::size_t i = 0; i < jobs.size(); ++i)
        threads.emplace_back([&, i] {
            TLabelledLines::Label = labels[i] + ": ";
            QuietProgressInThisThread();
            try {
                results[i] = jobs[i]();
            } catch (const std::exception& e) {
                std::cerr << "kelvoctl: " << e.what() << "\n";
                results[i] = {1, "unknown"};
            }
            scope.Buffer().FlushThread();
        });
    for (std::thread& t : threads)
        t.join();
    return results;
}

} // namespace kelvo::ctl
