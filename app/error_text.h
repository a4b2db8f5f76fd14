// Result codes of file, conversion, pane and search operations, and the
// message texts the window procedures show for them.
#pragma once

typedef int ErrorCode;

enum : ErrorCode {
    EC_SUCCESS = 0,
    EC_CANCELLED = 1,     // a file dialog was cancelled; never shown
    EC_OPEN_FAILED = 2,   // the file could not be opened or created
    EC_NO_MEMORY = 3,     // a buffer could not be obtained, or is too large
    EC_IO_COUNT = 4,      // fewer or more bytes read or written than expected
    EC_TEXT_REFUSED = 5,  // an edit pane refused the text
    EC_TEXT_FULL = 6,     // an edit pane ran out of space or hit its limit
    EC_UNDEFINED = 7,
};

// The constant Shift-JIS text for a code; never fails.
const char* ErrorMessageText(ErrorCode code);
