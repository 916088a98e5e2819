#pragma once

// How an export job ended. A cancelled job has removed what it wrote; a failed one has told the
// user and removed broken output; only a succeeded job leaves files and a history entry.
enum class ExportOutcome { Succeeded, Failed, Cancelled, Refused };
