#include "app/terms_win.h"

#include <windows.h>

#include <cstdio>

#include "app/app_state_win.h"
#include "app/terms.h"
#include "links/links_dialog_win.h"
#include "resource.h"

static const size_t kTermsTextSize = 1024;

// A read-only marker cannot be opened for reading and updating. Tested on the
// attribute too, so the answer does not depend on the rights of the account
// (an administrator may open it anyway).
static bool IsReadOnlyFile(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// Reads the first line of the marker (at most size - 1 characters) into
// `line`. False when there is no marker that can be opened for updating.
static bool ReadMarkerLine(char* line, size_t lineSize)
{
    line[0] = '\0';
    if (IsReadOnlyFile(kTermsMarkerFileName))
        return false;
    FILE* marker = fopen(kTermsMarkerFileName, "r+");
    if (marker == NULL)
        return false;
    if (fgets(line, (int)lineSize, marker) == NULL)
        line[0] = '\0';
    fclose(marker);
    return true;
}

// Creates or empties the marker and writes the sentence, with no line break.
static bool WriteMarker(const char* sentence)
{
    if (IsReadOnlyFile(kTermsMarkerFileName))
        return false;
    FILE* marker = fopen(kTermsMarkerFileName, "w+");
    if (marker == NULL)
        return false;
    fputs(sentence, marker);
    fclose(marker);
    return true;
}

bool AcceptTermsOnFirstRun()
{
    char sentence[kTermsTextSize];
    char disclaimer[kTermsTextSize];
    char offer[kTermsTextSize];
    ComposeAcceptanceSentence(appState.caption, sentence, sizeof(sentence));
    ComposeDisclaimerText(appState.caption, disclaimer, sizeof(disclaimer));
    ComposeLinksOfferText(appState.caption, offer, sizeof(offer));

    if (ReadMarkerLine(appState.referrerPageText, sizeof(appState.referrerPageText)) &&
        MarkerAcceptsTerms(appState.referrerPageText, sentence))
        return true;

    if (MessageBoxA(NULL, disclaimer, appState.caption, MB_YESNO | MB_ICONWARNING) != IDYES)
        return false;

    if (!WriteMarker(sentence)) {
        ComposeMarkerErrorText(kTermsMarkerFileName, appState.referrerPageText,
                               sizeof(appState.referrerPageText));
        MessageBoxA(NULL, appState.referrerPageText, appState.caption, MB_ICONWARNING);
        return false;
    }

    if (MessageBoxA(NULL, offer, appState.caption, MB_YESNO | MB_ICONQUESTION) == IDYES)
        DialogBoxParamA(appState.instanceHandle, MAKEINTRESOURCEA(IDD_LINKS), NULL,
                        LinksDialogProc, 0);
    return true;
}
