#pragma once
// nip.html: the page that lists the caches of the last scan lying in no
// district polygon, with links to the listing, a web map and the placemark
// file. Built as single-byte ANSI text; the window layer only saves and shows it.

#include <string>
#include <string_view>
#include <vector>

#include "core/records.h"

namespace ql {

struct AppState;

constexpr std::string_view NipPageFileName = "nip.html";
// The style sheet the page links to, beside it.
constexpr std::string_view NipStyleSheetName = "rlp.css";

// A text inserted into the page with "<", ">" and the double quote written as
// entities, so a cache name can neither open a tag nor leave an attribute.
// "&" stays as it is: the query's texts already carry their entities.
std::string EscapeMarkup(std::string_view text);

// The file address of an absolute path (UTF-8): "file://" + the path with
// every byte but letters, digits, "-._~" and the separators percent-encoded;
// backslashes become "/", and a Windows path gets "file:///C:/...".
std::string FileUrl(std::string_view path);

// The 13 lines of the page, without line ends. Record i of `list` pairs with
// name i of `placemarkFiles`, which lie in `tempDir` (UTF-8, with its trailing
// separator); records beyond MaxPlacemarkFiles have none and are listed
// without that link, the page saying why. Throws the list index error when a
// record below the cap has no placemark name.
std::vector<std::string> BuildNipPageLines(const std::vector<TNIPDatum>& list,
                                           const std::vector<std::string>& placemarkFiles, const std::string& tempDir);

// What the page and the user read when a scan found more finds outside every
// district than placemark files are made.
std::string PlacemarkCapText();

// The lines as the file holds them: each one, the last included, ends with CR LF.
std::string JoinPageLines(const std::vector<std::string>& lines);

// The folder the page is written into (PageDir, or else the program folder),
// ending with the separator.
std::string NipPageFolder(const AppState& state);

// Full path of the page in that folder.
std::string NipPagePath(const AppState& state);

// Builds the page from the state's last scan into `lines` and writes it to
// NipPagePath, replacing the file; outside the program folder the style sheet
// "rlp.css" is copied beside it (when the program has one). Throws "Datei "%s"
// kann nicht erstellt werden. %s" when it cannot be written.
void WriteNipPage(const AppState& state, std::vector<std::string>& lines);

}  // namespace ql
