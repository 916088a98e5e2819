#pragma once
#include <string>
#include <utility>
#include <vector>

// The updater's command line: tokens split by blanks and double quotes, then options of the forms
// "-key=value", "-key value", "-key" and "key=value". Keys may repeat; look-ups take the first.
class CommandLineOptions {
public:
    using Option = std::pair<std::wstring, std::wstring>;

    explicit CommandLineOptions(const std::wstring& rawCommandLine);

    // Returns true when the double quotes were balanced.
    bool Tokenize(const std::wstring& raw);
    void BuildOptions();

    std::wstring GetValue(const std::wstring& key, size_t matchIndex = 0) const;
    size_t HasOption(const std::wstring& key) const;

    const std::wstring& RawCommandLine() const { return m_raw; }
    const std::vector<std::wstring>& Tokens() const { return m_tokens; }
    const std::vector<Option>& Options() const { return m_options; }

private:
    std::wstring m_raw;
    std::vector<std::wstring> m_tokens;
    std::vector<Option> m_options;
};

// Fills one option from one token; see CommandLineOptions::BuildOptions for how it is used.
void SplitOption(CommandLineOptions::Option& option, const std::wstring& token, bool asKey);
