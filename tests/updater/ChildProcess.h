#pragma once
// A child process that a test starts and ends itself, by its id only.

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& args, const std::vector<std::string>& env,
                 const std::string& outputFile = "/dev/null")
    {
        std::vector<char*> argv, envp;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        for (const std::string& e : env)
            envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ChildProcess() { Kill(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    pid_t Pid() const { return m_pid; }
    bool Running()
    {
        if (m_pid <= 0)
            return false;
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) != m_pid)
            return true;
        m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        m_pid = -1;
        return false;
    }
    // The exit code, or -1 when the process did not end in time (it is then ended).
    int Wait(std::chrono::milliseconds limit)
    {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (Running() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (!Running())
            return m_exitCode;
        Kill();
        return -1;
    }
    void Kill()
    {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid { -1 };
    int m_exitCode { -1 };
};
