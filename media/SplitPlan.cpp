#include "media/SplitPlan.h"

#include <cwchar>

#include "base/StringHelpers.h"

namespace {

// No file is shorter than this: a shorter request is refused, and a shorter remainder of a
// fixed-length split joins the piece before it.
constexpr double kShortestPieceSeconds = 0.1;
constexpr int kShortestPieceMs = 100;

SplitPiece Piece(double start, double length)
{
    SplitPiece piece;
    piece.start = FormatWide(L"%f", start);
    piece.length = FormatWide(L"%f", length);
    piece.seconds = static_cast<float>(length);
    return piece;
}

SplitPlan Refused()
{
    SplitPlan plan;
    plan.status = SplitPlan::Status::Refused;
    return plan;
}

SplitPlan AtPoint(const std::wstring& value, double total)
{
    const double point = std::wcstod(value.c_str(), nullptr);
    if (point < kShortestPieceSeconds || total - point < kShortestPieceSeconds)
        return Refused();
    SplitPlan plan;
    plan.status = SplitPlan::Status::Ready;
    SplitPiece first;
    first.start = L"0";
    first.length = value;
    first.seconds = static_cast<float>(point);
    plan.pieces.push_back(first);
    SplitPiece second = Piece(point, total - point);
    second.start = value;
    plan.pieces.push_back(second);
    return plan;
}

SplitPlan EqualParts(const std::wstring& value, int durationMs)
{
    const long parts = std::wcstol(value.c_str(), nullptr, 10);
    if (parts <= 0 || durationMs / parts < kShortestPieceMs)
        return Refused();
    const double piece = (durationMs / parts) / 1000.0;
    SplitPlan plan;
    plan.status = SplitPlan::Status::Ready;
    for (long j = 0; j < parts; ++j)
        plan.pieces.push_back(Piece(j * piece, piece));
    return plan;
}

SplitPlan FixedLength(const std::wstring& value, double total)
{
    const double length = std::wcstod(value.c_str(), nullptr);
    if (length < kShortestPieceSeconds)
        return Refused();
    const long whole = static_cast<long>(total / length);
    SplitPlan plan;
    plan.status = SplitPlan::Status::Ready;
    for (long j = 0; j < whole; ++j)
        plan.pieces.push_back(Piece(j * length, length));
    const double rest = total - whole * length;
    if (rest >= kShortestPieceSeconds || plan.pieces.empty())
        plan.pieces.push_back(Piece(whole * length, rest));
    else
        plan.pieces.back() = Piece((whole - 1) * length, length + rest);
    return plan;
}

}  // namespace

SplitPlan PlanSplitTask(const std::wstring& task, int durationMs)
{
    if (task.size() < 3)
        return {};
    const wchar_t mode = task[0];
    if (mode != L'1' && mode != L'2' && mode != L'3')
        return {};
    if (durationMs < kShortestPieceMs)
        return Refused();
    const std::wstring value = task.substr(2);
    const double total = durationMs / 1000.0;
    if (mode == L'1')
        return AtPoint(value, total);
    if (mode == L'2')
        return EqualParts(value, durationMs);
    return FixedLength(value, total);
}
