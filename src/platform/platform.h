#pragma once
// The only place that touches the operating system. One header; a POSIX and a
// Windows implementation. Texts are UTF-8 unless a name says otherwise; folder
// paths end with the platform's separator.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace ql::platform {

#ifdef _WIN32
constexpr char PathSeparator = '\\';
// The pattern an open dialog lists every file with.
constexpr const char* AllFilesPattern = "*.*";
#else
constexpr char PathSeparator = '/';
// "*.*" lists only names with a dot here; a query saved without an extension is listed too.
constexpr const char* AllFilesPattern = "*";
#endif

// ---- Files and folders -------------------------------------------------------

// The user's temporary folder, ending with the separator. Throws
// "Der temporäre Ordner "%s" ist nicht vorhanden." or "... ist nicht
// beschreibbar. %s" when it is missing or cannot be written to.
std::string GetTempDir();

// Folder of the running executable, ending with the separator.
std::string ExecutableDir();

// Full path of the running executable.
std::string ExecutablePath();

// The folder of what ships with the program (polygons, help, style sheet,
// history, demo), ending with the separator, for an executable in
// `executableDir`: that folder itself when the polygons lie beside the
// executable (a build folder, the unpacked Windows ZIP); otherwise, for an
// executable in an installation's bin folder, share/quenlorn of that
// installation when it exists (/usr/share/quenlorn/ for /usr/bin/quenlorn);
// else `executableDir`. On Windows always `executableDir`.
std::string ProgramDataDir(const std::string& executableDir);

// The system's text for an error number (errno / GetLastError()).
std::string ErrorText(int code);

// The last error of the calling thread (errno / GetLastError()).
int LastError();

// Reads a whole file; throws "Datei %s kann nicht geöffnet werden. %s". Only a
// regular file is read (a link is followed): a folder, device, FIFO or socket
// gives that message at once, without waiting on it.
std::string ReadWholeFile(const std::string& path);

// Throws "Datei %s kann nicht geöffnet werden. %s" unless the path names a
// regular file (after links); never opens it, so never blocks.
void RequireRegularFile(const std::string& path);

// Writes a whole file of the program's own, replacing it, never through a link;
// throws "Datei "%s" kann nicht erstellt werden. %s". A file for the user goes
// through WriteFileAtomically instead.
void WriteWholeFile(const std::string& path, std::string_view bytes);

// Renames `from` to `to`, replacing a file at `to` in one step; throws
// "Datei "%s" kann nicht erstellt werden. %s" naming `to`.
void RenameReplacing(const std::string& from, const std::string& to);

// A file opened for reading only: it is never created, changed or deleted.
class ReadOnlyFile {
public:
    virtual ~ReadOnlyFile() = default;
    virtual std::uint64_t Size() const = 0;
    // Up to `count` bytes from `offset`; fewer at the end of the file or when the
    // system fails to read (the caller sees data that ends early).
    virtual std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) = 0;
};

// Opens an existing file for reading. nullptr when no file exists at the path;
// throws "Datei %s kann nicht geöffnet werden. %s" when it exists but cannot be
// opened (no permission, locked) or is no regular file (a folder, device, FIFO
// or socket: refused at once, without waiting on it).
std::unique_ptr<ReadOnlyFile> OpenReadOnly(const std::string& path);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
void DeleteFileQuietly(const std::string& path);  // outcome ignored
// Whether two names of files in one folder name the same file: letter case
// aside on Windows, exactly elsewhere.
bool SameFileName(const std::string& a, const std::string& b);

// Creates the folder `path` (without a trailing separator) that only the
// current user may read, write or enter; false when something already has
// that name (a link included: it is never followed). Throws "Datei "%s" kann
// nicht erstellt werden. %s" for any other failure.
bool CreatePrivateFolder(const std::string& path);

// The names of the folders directly inside `parent` that belong to the current
// user; links and anything else are left out.
std::vector<std::string> OwnFolders(const std::string& parent);

// Removes the folder and everything inside it; a link inside is removed, never
// followed. The outcome is ignored.
void RemoveFolderTree(const std::string& path);

// ---- Files written for the user ---------------------------------------------

// Writes a file the user asked for (a proof list, a picture, an export, any
// copy) so that it holds either all the new bytes or, after any failure, the
// old file byte for byte. The bytes go to a temporary file created
// exclusively beside the target under a new name (never one a file of the
// user already has); every write, the flush to disk and the close are
// checked; only then is it renamed over the target. On failure the temporary
// file is removed and "Datei "%s" kann nicht erstellt werden. %s" names
// `path` as given. Where `path` is a symbolic link, the file it points to is
// replaced and the link stays; an existing file keeps its permissions, and
// one the user may not write (read-only) is left as it is, with the system's
// reason. A folder, device, pipe or socket at `path` is refused
// ("... Das ist keine gewöhnliche Datei, ...").
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// The same for content written piece by piece (a file too large to hold):
// the constructor creates the temporary file, Write() appends, Commit()
// flushes, closes and renames. Without Commit() (an exception on the way) the
// temporary file is removed and the target stays as it was. Throws as
// WriteFileAtomically; after a throw the writer is spent.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::string& path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void Write(std::string_view bytes);
    void Commit();

    struct State;  // the system's side (posix/, win/)

private:
    std::unique_ptr<State> state_;
};

// ---- Processes -----------------------------------------------------------------

// The running program's process id.
std::uint64_t CurrentProcessId();

// ---- Locks on files ------------------------------------------------------------

// A lock on a file (flock on POSIX, LockFileEx on Windows), held while the
// object lives. Other processes see it held wherever they run: in another
// process id namespace, or on another machine sharing the folder where its
// file system passes locks on.
class FileLock {
public:
    virtual ~FileLock() = default;
};

// Creates the file `path` anew for the current user alone (a link is never
// followed), locks it and only then writes `bytes` into it: whoever finds the
// bytes finds the lock held. nullptr when something already has that name;
// throws "Datei "%s" kann nicht erstellt werden. %s" for any other failure.
std::unique_ptr<FileLock> CreateLockedFile(const std::string& path, std::string_view bytes);

// The lock of an existing regular file (a link is not followed), taken
// without waiting, and the file's first `maxBytes` bytes read under it.
struct TakenLock {
    std::unique_ptr<FileLock> Lock;
    std::string Bytes;
};
// nullopt when no regular file is there or another holds its lock.
std::optional<TakenLock> TryLockFile(const std::string& path, std::size_t maxBytes);

// The stored name of the last component of a path as the file system keeps it
// (the long form of an 8.3 name on Windows); nullopt when nothing is found.
// A path ending with a separator finds nothing.
std::optional<std::string> FindStoredName(const std::string& path);

// ---- Large buffers -------------------------------------------------------------

// The system's side of a file a buffer maps (posix/, win/).
struct FileMapping;

// A block of bytes for a whole query: never zero-filled by the program, so the
// read or the inflater that fills it writes each byte once. Large blocks are
// the system's own pages, handed out as they are first written or, through
// Populate(), many at once; on Linux backed by huge pages only where the system
// gets them without compacting memory on the spot (its `defrag` setting), as a
// first open would otherwise wait seconds for them. Small blocks come from the
// ordinary allocator. A buffer may also hold a file mapped read-only
// (MapWholeFile): its bytes must not be written. Only Size() bytes are
// meaningful. Move-only; the memory goes back to the system with the buffer.
class LargeBuffer {
public:
    LargeBuffer() = default;
    // Room for `capacity` bytes, none of them initialised; throws std::bad_alloc.
    explicit LargeBuffer(std::size_t capacity);
    ~LargeBuffer();
    LargeBuffer(LargeBuffer&& other) noexcept;
    LargeBuffer& operator=(LargeBuffer&& other) noexcept;
    LargeBuffer(const LargeBuffer&) = delete;
    LargeBuffer& operator=(const LargeBuffer&) = delete;

    char* Data() { return data_; }
    const char* Data() const { return data_; }
    std::size_t Size() const { return size_; }
    std::size_t Capacity() const { return capacity_; }
    std::string_view View() const { return {data_, size_}; }
    // Sets how many bytes count; at most Capacity(). The bytes are not touched.
    void SetSize(std::size_t size);
    // Bytes the block holds from the system (the capacity rounded up to its
    // pages; for a mapped file its size).
    std::size_t ReservedBytes() const;
    // Makes the pages of the first `bytes` (at most Capacity()) present now, in
    // one call, that a read or the inflater then fills without a page fault
    // each; pages already present stay as they are. Where the system cannot,
    // the pages come as they are written, as without it.
    void Populate(std::size_t bytes);
    // Gives the block room for `capacity` bytes (more than it has), keeping
    // its bytes and the pages that hold them: on Linux the system moves the
    // pages, nothing is copied. False where it cannot (a small block, a
    // mapped file, another system): the buffer is then unchanged.
    bool GrowKeepingPages(std::size_t capacity);

    // Whether the bytes are a file mapped read-only.
    bool IsMappedFile() const { return mapping_ != nullptr; }
    // Throws "Die Datei "%s" wurde beim Lesen verändert." when the mapped file
    // was cut short while mapped: the bytes past its new end then read as
    // zeros (on Linux, where such an access would otherwise end the process).
    // Nothing for a buffer that holds no file.
    void ThrowIfFileChanged() const;

private:
    friend LargeBuffer MapWholeFile(const std::string& path);
    void Release() noexcept;

    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    std::size_t reserved_ = 0;  // what the system handed out, 0 for the ordinary allocator
    std::size_t populated_ = 0;  // bytes from the start whose pages Populate() made present
    FileMapping* mapping_ = nullptr;
};

// Reads a whole regular file into a large buffer, as ReadWholeFile does (same
// messages, and only a regular file), into pages made present in one step.
// The file is copied, never mapped: a file replaced or cut short on disk while
// its text is in use changes nothing in the buffer.
LargeBuffer ReadWholeFileLarge(const std::string& path);

// A whole regular file for reading, as ReadWholeFileLarge (same messages, and
// only a regular file), but mapped read-only where the system allows: no copy,
// the bytes are the system's file cache. The size is the file's when it is
// opened; a file that grows later is read to that size. On Windows nobody may
// write the file while it is mapped; on Linux a file cut short while mapped
// reads as zeros past its new end and ThrowIfFileChanged() says so. Where the
// file cannot be mapped (or is being written on Windows) it is read as
// ReadWholeFileLarge reads it.
LargeBuffer MapWholeFile(const std::string& path);

// Called between the mapping and the first read of MapWholeFile's bytes, with
// the file's path (tests cut the file short there); an empty function for none.
using AfterMapHook = std::function<void(const std::string& path)>;
void SetAfterMapHook(AfterMapHook hook);

// ---- Text --------------------------------------------------------------------

// UTF-8 to the ANSI code page (Windows-1252 outside Windows); a character the
// code page lacks becomes "?".
std::string Utf8ToAnsi(std::string_view utf8);
// The ANSI code page to UTF-8.
std::string AnsiToUtf8(std::string_view ansi);

// ---- Registry (HKEY_CURRENT_USER) ---------------------------------------------

class RegistryReader {
public:
    virtual ~RegistryReader() = default;
    // Opens an existing key (never creates it); false when it does not exist.
    virtual bool OpenKey(const std::string& key) = 0;
    // A text value of the open key; nullopt when it does not exist. A value of
    // another type throws UserError "Ungültiger Datentyp für '%s'".
    virtual std::optional<std::string> ReadString(const std::string& name) = 0;
    virtual void CloseKey() = 0;
};

// The real registry on Windows; elsewhere a reader whose keys never exist.
std::unique_ptr<RegistryReader> MakeRegistryReader();

// ---- Shell -------------------------------------------------------------------

// Asks the desktop to open a file or address (ShellExecuteW "open", SW_SHOW).
// Returns the shell's result code: above 32 for success.
int ShellOpen(const std::string& file, const std::string& parameters = {});

// Replaces the shell for ShellOpen, OpenHelp and StartSystemInfoTool (tests
// record what would have been opened); an empty function restores the shell.
using ShellOpenOverride = std::function<int(const std::string& file, const std::string& parameters)>;
void SetShellOpenOverride(ShellOpenOverride hook);

// Opens the program's help: "hh.exe hilfe/help.chm" on Windows, the shipped
// help page with the desktop's viewer elsewhere.
void OpenHelp(const std::string& programDir);

// Starts the system-information tool (MSInfo32.exe on Windows).
void StartSystemInfoTool();

// ---- System information ------------------------------------------------------

struct OsVersion {
    std::uint32_t PlatformId = 0;
    std::uint32_t Major = 0;
    std::uint32_t Minor = 0;
    std::uint32_t Build = 0;
    std::string ServicePack;  // up to its first null character, at most 128
};
OsVersion QueryOsVersion();

// Processor architecture code of the native system information (9 = x64).
// Read once at start-up.
std::uint16_t NativeProcessorArchitecture();

// True when the program runs with the rights of the system administrator
// (the root user); never on Windows, where the embedded browser does not mind.
bool RunsAsRoot();

struct MemoryStatus {
    std::uint64_t TotalPhys = 0;
    std::uint64_t AvailPhys = 0;
    std::uint64_t TotalPageFile = 0;
    std::uint64_t AvailPageFile = 0;
};
// nullopt when the system reports failure (LastError() then tells why).
std::optional<MemoryStatus> QueryMemoryStatus();

struct FileVersion {
    std::uint16_t Major = 0, Minor = 0, Release = 0, Build = 0;
};
// Version numbers of an executable; nullopt without version information.
std::optional<FileVersion> GetFileVersionNumbers(const std::string& path);

// The thousands separator of the user's locale ("." with German settings).
std::string ThousandsSeparator();

// ---- Threads -----------------------------------------------------------------

// A thread just started by the caller, who goes on with work of its own:
// asks the system to run it on another processor at once. Linux starts a new
// thread on its maker's processor and moves one of the two only at its next
// tick, milliseconds later, while the other processor idles. Nothing where
// the system places new threads itself, or with one processor.
void RunOnAnotherProcessor(std::thread& thread);
// Called first by such a thread: every processor the process may use is
// allowed again, so that it is kept from none later on.
void AllowEveryProcessor();

}  // namespace ql::platform
