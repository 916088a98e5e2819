#pragma once
// The files one split task makes. A task is the split list's row text: a mode character, a
// separator and a value — "1-t" one cut at t seconds, "2-n" n equal parts, "3-L" pieces of L
// seconds with a shorter last piece. Pure, so a table can check it.

#include <string>
#include <vector>

struct SplitPiece {
    std::wstring start;    // start as written after "-ss"
    std::wstring length;   // length as written after "-t"
    float seconds = 0;     // length in seconds: the base of this run's percentage
};

struct SplitPlan {
    enum class Status { Ready, NotATask, Refused };
    Status status = Status::NotATask;
    std::vector<SplitPiece> pieces;
};

SplitPlan PlanSplitTask(const std::wstring& task, int durationMs);
