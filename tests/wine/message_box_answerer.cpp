#include "message_box_answerer.h"

static MessageBoxAnswerer* activeAnswerer = NULL;

static std::string WindowText(HWND window)
{
    char buffer[4096] = {0};
    GetWindowTextA(window, buffer, sizeof(buffer));
    return buffer;
}

// A box's text is static 0xFFFF on Windows and 100 under Wine.
static HWND FindTextStatic(HWND box)
{
    HWND text = GetDlgItem(box, 0xFFFF);
    return text != NULL ? text : GetDlgItem(box, 100);
}

static UINT ReadIconStyle(HWND box)
{
    struct KnownIcon {
        LPCSTR id;
        UINT style;
    };
    static const KnownIcon kIcons[] = {{IDI_WARNING, MB_ICONWARNING},
                                       {IDI_QUESTION, MB_ICONQUESTION},
                                       {IDI_INFORMATION, MB_ICONINFORMATION},
                                       {IDI_ERROR, MB_ICONERROR}};
    for (HWND child = GetWindow(box, GW_CHILD); child != NULL;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
            continue;
        HICON icon = (HICON)SendMessageA(child, STM_GETICON, 0, 0);
        for (const KnownIcon& known : kIcons)
            if (icon != NULL && icon == LoadIconA(NULL, known.id))
                return known.style;
    }
    return 0;
}

static UINT ReadButtonStyle(HWND box)
{
    bool yes = GetDlgItem(box, IDYES) != NULL;
    bool no = GetDlgItem(box, IDNO) != NULL;
    bool cancel = GetDlgItem(box, IDCANCEL) != NULL;
    if (yes && no)
        return cancel ? MB_YESNOCANCEL : MB_YESNO;
    return cancel ? MB_OKCANCEL : MB_OK;
}

static LRESULT CALLBACK AnswerHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && activeAnswerer != NULL) {
        HWND box = (HWND)wParam;
        char className[32] = {0};
        GetClassNameA(box, className, sizeof(className));
        HWND textStatic = FindTextStatic(box);
        if (strcmp(className, "#32770") == 0 && textStatic != NULL &&
            GetProp(box, "AnsweredByTest") == NULL) {
            SetPropA(box, "AnsweredByTest", (HANDLE)1);
            SeenMessageBox seen;
            seen.caption = WindowText(box);
            seen.text = WindowText(textStatic);
            seen.style = ReadButtonStyle(box) | ReadIconStyle(box);
            seen.owner = GetWindow(box, GW_OWNER);
            size_t index = activeAnswerer->seen.size();
            activeAnswerer->seen.push_back(seen);
            int answer = IDOK;
            if (!activeAnswerer->answers.empty())
                answer = activeAnswerer->answers[index < activeAnswerer->answers.size()
                                                     ? index
                                                     : activeAnswerer->answers.size() - 1];
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                         (LPARAM)GetDlgItem(box, answer));
        }
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

void StartAnsweringMessageBoxes(MessageBoxAnswerer& answerer, std::vector<int> answers)
{
    answerer.answers = answers;
    answerer.seen.clear();
    activeAnswerer = &answerer;
    answerer.hook = SetWindowsHookExA(WH_CBT, AnswerHook, NULL, GetCurrentThreadId());
}

void StopAnsweringMessageBoxes(MessageBoxAnswerer& answerer)
{
    if (answerer.hook != NULL)
        UnhookWindowsHookEx(answerer.hook);
    answerer.hook = NULL;
    if (activeAnswerer == &answerer)
        activeAnswerer = NULL;
}
