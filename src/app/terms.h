#pragma once

#include <cstddef>

// The marker file that remembers the acceptance, in the current directory.
extern const char kTermsMarkerFileName[];  // "TermsAccepted-Tallyview_DozidodUder.txt"

// The sentence the marker holds for this caption, trimmed.
void ComposeAcceptanceSentence(const char* caption, char* sentence, size_t sentenceSize);

// The texts of the disclaimer box, the shortcut offer and the error box.
// Each is cut to its buffer.
void ComposeDisclaimerText(const char* caption, char* text, size_t textSize);
void ComposeLinksOfferText(const char* caption, char* text, size_t textSize);
void ComposeMarkerErrorText(const char* markerName, char* text, size_t textSize);

// True when the marker's first line, without the spaces, tabs and line feeds
// around it, begins with the sentence less its last character (its full
// stop). An empty sentence accepts nothing.
bool MarkerAcceptsTerms(const char* firstLine, const char* sentence);
