#pragma once
// What the merge pre-conversion workers of one pool run share: each row's share of the job's
// percentage. A worker's run reports how far it is through its own row; weighted by the row's
// part of the merge's total length, the rows' shares add up to the job's percentage.

#include <atomic>
#include <memory>
#include <string>

#include "media/RowProgressView.h"

struct MergePoolShares {
    explicit MergePoolShares(int rows) : percents(std::make_unique<std::atomic<float>[]>(rows)), count(rows) {}
    float Sum() const;

    std::unique_ptr<std::atomic<float>[]> percents;
    int count;
};

// One worker's run: stores its row's weighted share and publishes the sum.
class MergeRowProgress : public RowProgressView {
public:
    MergeRowProgress(MergePoolShares& shares, int row, float weight, std::atomic<float>& jobPercent)
        : m_shares(shares), m_row(row), m_weight(weight), m_jobPercent(jobPercent) {}
    void ShowProgress(float percent, const std::wstring& text) override;

private:
    MergePoolShares& m_shares;
    int m_row;
    float m_weight;  // the row's length over the merge's total length
    std::atomic<float>& m_jobPercent;
};
