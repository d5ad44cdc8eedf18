#pragma once
// A virtual X display (Xvfb, from tools/setup.sh) of its own for a test's life, set as DISPLAY
// while it lives. The server picks a free display number and says which (-displayfd), so that
// tests running at once never share or steal a display.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

class VirtualDisplay {
public:
    explicit VirtualDisplay(const char* size = "1024x1500x24") {
        int channel[2];
        if (::pipe(channel) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(channel[0]);
            const std::string fd = std::to_string(channel[1]);
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", size, "-nolisten", "tcp",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(channel[1]);
        // The number comes as a line once the server takes connections.
        std::string number;
        pollfd wait{channel[0], POLLIN, 0};
        char c = 0;
        while (::poll(&wait, 1, 20000) == 1 && ::read(channel[0], &c, 1) == 1 && c != '\n') number += c;
        ::close(channel[0]);
        ready_ = c == '\n' && !number.empty();
        if (ready_) ::setenv("DISPLAY", (":" + number).c_str(), 1);
    }
    ~VirtualDisplay() {
        ::unsetenv("DISPLAY");
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool ready() const { return ready_; }

private:
    pid_t pid_ = -1;
    bool ready_ = false;
};
