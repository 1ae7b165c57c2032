#include "storage/archive_output_source.h"

#include <cerrno>
#include <new>

#include "platform/scratch_file.h"

struct ArchiveOutput {
  zip_source_t* original = nullptr;
  // The caller's file that the archive is written into.
  std::FILE* destination = nullptr;
  bool committed = false;
  zip_error_t error;

  // Takes the original's error when it failed.
  zip_int64_t Forwarded(zip_int64_t result) {
    if (result < 0) zip_error_set(&error, zip_error_code_zip(zip_source_error(original)),
                                  zip_error_code_system(zip_source_error(original)));
    return result;
  }

  zip_int64_t Failed(int code) {
    zip_error_set(&error, code, errno);
    return -1;
  }
};

namespace {
zip_int64_t Serve(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
  ArchiveOutput& output = *static_cast<ArchiveOutput*>(state);
  const bool readsOriginal = command == ZIP_SOURCE_OPEN || command == ZIP_SOURCE_READ || command == ZIP_SOURCE_CLOSE ||
                             command == ZIP_SOURCE_SEEK || command == ZIP_SOURCE_TELL;
  if (readsOriginal && !output.original) return output.Failed(ZIP_ER_INTERNAL);
  switch (command) {
    case ZIP_SOURCE_STAT: {
      auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &output.error);
      if (!stat) return -1;
      // How libzip learns that there is no archive yet.
      if (!output.original) {
        zip_error_set(&output.error, ZIP_ER_READ, ENOENT);
        return -1;
      }
      return output.Forwarded(zip_source_stat(output.original, stat)) < 0 ? -1 : sizeof(*stat);
    }
    case ZIP_SOURCE_OPEN:
      return output.Forwarded(zip_source_open(output.original));
    case ZIP_SOURCE_READ:
      return output.Forwarded(zip_source_read(output.original, data, length));
    case ZIP_SOURCE_CLOSE:
      return output.Forwarded(zip_source_close(output.original));
    case ZIP_SOURCE_SEEK: {
      auto* seek = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &output.error);
      if (!seek) return -1;
      return output.Forwarded(zip_source_seek(output.original, seek->offset, seek->whence));
    }
    case ZIP_SOURCE_TELL:
      return output.Forwarded(zip_source_tell(output.original));
    case ZIP_SOURCE_BEGIN_WRITE:
      output.committed = false;
      if (!output.destination) return output.Failed(ZIP_ER_TMPOPEN);
      return SeekFile(output.destination, 0, SEEK_SET) ? 0 : output.Failed(ZIP_ER_SEEK);
    case ZIP_SOURCE_WRITE:
      if (std::fwrite(data, 1, length, output.destination) != length) return output.Failed(ZIP_ER_WRITE);
      return static_cast<zip_int64_t>(length);
    case ZIP_SOURCE_SEEK_WRITE: {
      auto* seek = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &output.error);
      if (!seek) return -1;
      return SeekFile(output.destination, seek->offset, seek->whence) ? 0 : output.Failed(ZIP_ER_SEEK);
    }
    case ZIP_SOURCE_TELL_WRITE: {
      const std::int64_t position = FilePosition(output.destination);
      return position >= 0 ? position : output.Failed(ZIP_ER_TELL);
    }
    case ZIP_SOURCE_COMMIT_WRITE:
      if (std::fflush(output.destination) != 0) return output.Failed(ZIP_ER_WRITE);
      output.committed = true;
      return 0;
    case ZIP_SOURCE_ROLLBACK_WRITE:
    case ZIP_SOURCE_REMOVE:
      output.committed = false;
      return 0;
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&output.error, data, length);
    case ZIP_SOURCE_FREE:
      ReleaseOriginal(output);
      zip_error_fini(&output.error);
      delete &output;
      return 0;
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(
          ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
          ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_BEGIN_WRITE, ZIP_SOURCE_COMMIT_WRITE, ZIP_SOURCE_ROLLBACK_WRITE,
          ZIP_SOURCE_WRITE, ZIP_SOURCE_SEEK_WRITE, ZIP_SOURCE_TELL_WRITE, ZIP_SOURCE_REMOVE, -1);
    default:
      zip_error_set(&output.error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}
}  // namespace

zip_source_t* ArchiveOutputSource(zip_source_t* original, ArchiveOutput*& output, zip_error_t* error) {
  auto* state = new (std::nothrow) ArchiveOutput;
  if (!state) {
    if (original) zip_source_free(original);
    zip_error_set(error, ZIP_ER_MEMORY, 0);
    return nullptr;
  }
  state->original = original;
  zip_error_init(&state->error);
  zip_source_t* source = zip_source_function_create(Serve, state, error);
  if (!source) {
    Serve(state, nullptr, 0, ZIP_SOURCE_FREE);
    return nullptr;
  }
  output = state;
  return source;
}

void WriteArchiveInto(ArchiveOutput& output, std::FILE* file) {
  output.destination = file;
  output.committed = false;
}

bool ArchiveCommitted(const ArchiveOutput& output) { return output.committed; }

void ReleaseOriginal(ArchiveOutput& output) {
  if (output.original) zip_source_free(output.original);
  output.original = nullptr;
}
