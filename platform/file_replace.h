// Saving new content into an existing file so that the file stays what it is:
// a symbolic link is followed to the file it names and stays a link, further
// hard links keep sharing the file, and mode and owner stay.
//
// Where the platform allows it, the content goes to a temporary file beside the
// target ("TARGET.saving-XXXXXX"), which gets the target's mode and owner, is
// synced and renamed over the target: a save that fails or is killed leaves the
// old file whole. Where it does not (the file has further hard links, its folder
// cannot be written, or its owner cannot be given to a new file), the old
// content is first copied aside (beside the target when the folder allows,
// else kept in memory), then the file is overwritten in place and synced; if
// that write fails the old content is written back. A failure leaves a trace
// that names its cause.
#pragma once
#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

// `path` is a native path; the file need not exist yet. True once the content
// is on disk.
bool ReplaceFileContent(const std::string& path, const std::string& content);

// Takes one piece of the content; false once it could not be written.
using ContentWriter = std::function<bool(const char* data, size_t size)>;
// Gives the whole content, piece by piece, to the writer; false if it cannot.
using ContentProducer = std::function<bool(const ContentWriter& write)>;

// The same, with the content made while it is written, so that it is never
// held whole in memory (except for an overwrite in place, which must be able to
// write it again). The producer is called at most once.
bool ReplaceFileContent(const std::string& path, const ContentProducer& produce);

// Writes the whole content into `file`, from its start, and may seek in it
// (libzip goes back to each member's header); false if it cannot.
using FileProducer = std::function<bool(std::FILE* file)>;

// The same, for content that must be written into a file that can be seeked
// in. The producer is called at most once, given the temporary file beside the
// target, or for an overwrite in place a scratch file.
bool ReplaceFileContent(const std::string& path, const FileProducer& produce);

// Runs the producer on `write`; false when it fails or memory runs out.
bool ProduceContent(const ContentProducer& produce, const ContentWriter& write);
// Runs the producer on `file`, fresh from its opening, through a buffer of a
// megabyte, then closes the file; false when either fails or memory runs out.
bool ProduceAndClose(const FileProducer& produce, std::FILE* file);

// The whole content that `produce` gives, collected in memory; false when the
// producer fails or memory runs out.
bool ContentInMemory(const ContentProducer& produce, std::string& content);
bool ContentInMemory(const FileProducer& produce, std::string& content);

// The file that `path` names once every symbolic link is followed (the path
// itself when that file does not exist).
std::string ResolvedPath(const std::string& path);

// True when the file exists and may not be written: its permissions (or on
// Windows its read-only attribute) say so, whoever the user is.
bool IsReadOnlyFile(const std::string& path);

// The whole content of a file; false when it cannot be read.
bool ReadFileContent(const std::string& path, std::string& content);

// Replaces the content of `destination` with that of `source` as any save
// replaces a file, reading the source piece by piece, so that a copy of any
// size needs only a few megabytes.
bool CopyFileContent(const std::string& source, const std::string& destination);

// Copies `source` to a file that is made anew at `destination` and synced; a
// file already there is never touched (`nameTaken` then tells). On failure
// nothing is left at `destination`.
bool CopyToNewFile(const std::string& source, const std::string& destination, bool& nameTaken);

// Removes a temporary file that a save left beside its target, unless a save
// still in progress holds it: every save holds its temporary files locked from
// their creation until they are renamed or removed. True once removed.
bool RemoveAbandonedSaveFile(const std::string& path);

// The suffix of the temporary files of a save, before the six random characters.
inline constexpr const char* kSavingSuffix = ".saving-";
