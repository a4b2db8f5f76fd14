// Test harness for the editor under Wine: starts the real main window with
// the real start-up code, pumps its messages through the real loop step,
// and answers modal boxes and file dialogs as a user would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../native/hex.h"

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string PaneText(HWND pane);
std::string WindowText(HWND window);
void SetClipboardText(HWND owner, const char* text);
std::string ClipboardText(HWND owner);
std::string MenuText(UINT id);
UINT MenuState(UINT id);
bool MenuChecked(UINT id);
bool MenuGrayed(UINT id);

// A folder of its own for each test, under the Windows temporary folder.
std::string TestFolder();
// Data files written by the peers before the Windows tests run.
std::string DataFile(const std::string& name);

// Runs every message waiting, through the editor's loop step, for at least
// `milliseconds`.
void Pump(int milliseconds = 30);

// What a modal box looked like when it came up.
struct SeenBox {
    std::string caption;
    std::string text;
    std::vector<int> buttons;  // IDOK, IDCANCEL, IDYES, IDNO present
    HWND owner;
};

// Answers boxes and file dialogs in the order given, from a thread timer
// whose messages the modal loops dispatch.
class Answerer {
public:
    Answerer();
    ~Answerer();
    // The next message box: press this button, after calling `before`.
    Answerer& Press(int button, std::function<void(HWND)> before = nullptr);
    // The next file dialog: type this name and press its OK button.
    Answerer& Type(const std::string& name);
    // The next file dialog: press Cancel.
    Answerer& CancelDialog();
    std::vector<SeenBox> boxes;
    std::vector<std::string> dialogs;  // captions of the file dialogs answered
    int unexpected = 0;                // boxes that came with no answer left
    bool Done() const { return next_ >= plan_.size(); }

    struct Step {
        enum Kind { Button, FileName, Cancel } kind;
        int button;
        std::string name;
        std::function<void(HWND)> before;
    };

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void Look();
    std::vector<Step> plan_;
    std::size_t next_ = 0;
    std::vector<HWND> handled_;
    UINT_PTR timer_;
};

// Counts the captionless progress windows created while it lives.
class ProgressWindowCounter {
public:
    ProgressWindowCounter();
    ~ProgressWindowCounter();
    int count() const;
};

// The styles windows were created with, by control id, while it lives
// (a window may change its own style bits afterwards).
class CreationRecorder {
public:
    CreationRecorder();
    ~CreationRecorder();
    DWORD StyleOf(int id) const;
};

class EditorTest : public ::testing::Test {
protected:
    void TearDown() override;
    // Starts the editor with this command line (what follows the program name).
    void Start(const std::string& commandLine = "");
    // Closes the window without the save question and runs the loop out.
    void Close();
    bool Running() const { return IsWindow(main_) != FALSE; }
    void Command(UINT id);
    // Posts a character to a pane and lets the real loop translate it.
    void TypeChar(HWND pane, unsigned char c);
    void Key(HWND pane, UINT vk, bool repeated = false);
    HWND main_ = NULL;
    HACCEL accelerators_ = NULL;
    bool quit_ = false;
};
