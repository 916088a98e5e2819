#include "updater/CommandLineOptions.h"

namespace {

std::wstring StripLeadingDashes(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L'-');
    return first == std::wstring::npos ? text : text.substr(first);
}

bool IsEmpty(const CommandLineOptions::Option& option)
{
    return option.first.empty() && option.second.empty();
}

}  // namespace

CommandLineOptions::CommandLineOptions(const std::wstring& rawCommandLine)
    : m_raw(rawCommandLine)
{
    if (!m_raw.empty())
        Tokenize(m_raw);
}

bool CommandLineOptions::Tokenize(const std::wstring& raw)
{
    m_tokens.clear();
    bool inQuotes = false;
    std::wstring current;
    for (wchar_t ch : raw) {
        if (ch == L'"') {
            inQuotes = !inQuotes;
            continue;
        }
        if ((ch == L' ' || ch == L'\t') && !inQuotes) {
            if (!current.empty())
                m_tokens.push_back(std::move(current));
            current.clear();
            continue;
        }
        current += ch;
    }
    if (!current.empty())
        m_tokens.push_back(std::move(current));
    BuildOptions();
    return !inQuotes;
}

void CommandLineOptions::BuildOptions()
{
    m_options.clear();
    Option pending;
    auto push = [&] {
        m_options.push_back(pending);
        pending = Option();
    };
    for (const std::wstring& token : m_tokens) {
        if (token[0] == L'-') {
            if (!IsEmpty(pending))
                push();
            SplitOption(pending, StripLeadingDashes(token), true);
            if (!pending.second.empty())
                push();
            continue;
        }
        if (IsEmpty(pending))
            SplitOption(pending, token, false);
        else
            pending.second = token;
        if (!IsEmpty(pending))
            push();
    }
    if (!IsEmpty(pending))
        push();
}

std::wstring CommandLineOptions::GetValue(const std::wstring& key, size_t matchIndex) const
{
    const size_t first = key.find_first_not_of(L'-');
    if (first == std::wstring::npos)
        return std::wstring();
    const std::wstring query = key.substr(first);
    for (const Option& option : m_options) {
        if (option.first != query)
            continue;
        if (matchIndex == 0)
            return option.second;
        --matchIndex;
    }
    return std::wstring();
}

size_t CommandLineOptions::HasOption(const std::wstring& key) const
{
    if (key.empty())
        return 0;
    size_t count = 0;
    for (const Option& option : m_options)
        count += option.first == key;
    return count;
}

void SplitOption(CommandLineOptions::Option& option, const std::wstring& token, bool asKey)
{
    option = CommandLineOptions::Option();
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        const size_t eq = token.find(L'=', start);
        parts.push_back(token.substr(start, eq == std::wstring::npos ? std::wstring::npos : eq - start));
        if (eq == std::wstring::npos)
            break;
        start = eq + 1;
    }
    if (parts.size() == 2) {
        option.first = parts[0];
        option.second = parts[1];
        return;
    }
    (asKey ? option.first : option.second) = token;
}
