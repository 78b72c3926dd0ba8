#include "app/terms_win.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app/app_state_win.h"
#include "app/terms.h"
#include "common/join_path.h"
#include "links/links_dialog_win.h"
#include "resource.h"
#include "store/snapshot_file.h"
#include "store/snapshot_store_win.h"

static const size_t kTermsTextSize = 1024;

// A read-only marker cannot be opened for reading and updating. Tested on the
// attribute too, so the answer does not depend on the rights of the account
// (an administrator may open it anyway).
static bool IsReadOnlyFile(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// Reads the first line of a marker (at most size - 1 characters) into
// `line`. False when there is no marker that can be opened for updating.
static bool ReadMarkerLine(const char* path, char* line, size_t lineSize)
{
    line[0] = '\0';
    if (IsReadOnlyFile(path))
        return false;
    FILE* marker = fopen(path, "r+");
    if (marker == NULL)
        return false;
    if (fgets(line, (int)lineSize, marker) == NULL)
        line[0] = '\0';
    fclose(marker);
    return true;
}

// Creates or empties a marker and writes the sentence, with no line break.
static bool WriteMarker(const char* path, const char* sentence)
{
    if (IsReadOnlyFile(path))
        return false;
    FILE* marker = fopen(path, "w+");
    if (marker == NULL)
        return false;
    bool written = fputs(sentence, marker) >= 0;
    return fclose(marker) == 0 && written;
}

// The second place of the marker: the data folder, beside the snapshots. A
// copy where the user cannot write (Program Files, a read-only share of
// tools) keeps the acceptance there. False when there is no data folder or
// the path does not fit.
static bool ComposeDataFolderMarker(char* folder, char* path, size_t pathSize)
{
    ReadAppDataFolder();
    // Only the folder is wanted: an empty computer name keeps the file path
    // from refusing a folder that fits.
    char folderPath[2 * MAX_PATH];
    char filePath[2 * MAX_PATH];
    if (!appState.dataFolderAvailable ||
        !ComposeSnapshotPaths(appState.appDataPath, "", folderPath, filePath, sizeof(folderPath)) ||
        strlen(folderPath) >= MAX_PATH)
        return false;
    strcpy(folder, folderPath);
    return JoinPath(folder, strlen(folder), kTermsMarkerFileName, path, pathSize);
}

static bool MarkerAccepts(const char* path, const char* sentence)
{
    return ReadMarkerLine(path, appState.referrerPageText, sizeof(appState.referrerPageText)) &&
           MarkerAcceptsTerms(appState.referrerPageText, sentence);
}

bool AcceptTermsOnFirstRun()
{
    char sentence[kTermsTextSize];
    char disclaimer[kTermsTextSize];
    char offer[kTermsTextSize];
    ComposeAcceptanceSentence(appState.caption, sentence, sizeof(sentence));
    ComposeDisclaimerText(appState.caption, disclaimer, sizeof(disclaimer));
    ComposeLinksOfferText(appState.caption, offer, sizeof(offer));

    // The current folder's marker first, as ever; the data folder's counts
    // too, and takes the acceptance when the current folder cannot.
    if (MarkerAccepts(kTermsMarkerFileName, sentence))
        return true;
    char dataFolder[MAX_PATH];
    char dataMarker[MAX_PATH];
    bool dataMarkerKnown = ComposeDataFolderMarker(dataFolder, dataMarker, sizeof(dataMarker));
    if (dataMarkerKnown && MarkerAccepts(dataMarker, sentence))
        return true;

    if (MessageBoxA(NULL, disclaimer, appState.caption, MB_YESNO | MB_ICONWARNING) != IDYES)
        return false;

    if (!WriteMarker(kTermsMarkerFileName, sentence) &&
        !(dataMarkerKnown && (CreateDirectoryA(dataFolder, NULL), WriteMarker(dataMarker, sentence)))) {
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
