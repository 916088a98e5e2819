#include "media/ExportResult.h"

#include <utility>

ExportResult ExportResult::Succeeded(std::wstring question, std::wstring output, std::wstring historySource)
{
    ExportResult result;
    result.outcome = ExportOutcome::Succeeded;
    result.question = std::move(question);
    result.declineText = L"取消";
    result.acceptText = L"打开";
    result.output = std::move(output);
    result.historySource = std::move(historySource);
    return result;
}

ExportResult ExportResult::Failed(std::wstring question)
{
    ExportResult result;
    result.outcome = ExportOutcome::Failed;
    result.question = std::move(question);
    result.declineText = L"不需要";
    result.acceptText = L"联系客服";
    return result;
}

ExportResult ExportResult::Refused(std::wstring question, std::wstring declineText)
{
    ExportResult result;
    result.outcome = ExportOutcome::Refused;
    result.question = std::move(question);
    result.declineText = std::move(declineText);
    result.acceptText = L"确定";
    return result;
}

ExportResult ExportResult::Cancelled()
{
    ExportResult result;
    result.outcome = ExportOutcome::Cancelled;
    return result;
}
