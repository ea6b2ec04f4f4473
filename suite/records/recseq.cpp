// RECSEQ - record-access program for fixed-length sequential data files.
//
// Called by name (RECSEQ.so, entry RECSEQ) with the 2280-byte request block as its only
// argument. The data file's records lie back to back, all of one length, with no header and no
// separator. One data file is open at a time.
//
// Record length: the decimal number in pass-through field B (block positions 10-19, that is
// run-parameter positions 21-30), leading and trailing spaces ignored, 1 to 1024. A blank field
// means 1024. Anything else makes "TST" and "OU " answer "39".
//
// Data file: the name at block positions 38-87, up to its first space, in Windows-1252; it
// reaches the file system in the host's form ("\" read as "/", drive and network names mapped,
// the text in the host's encoding: platform/host_path.h). A name with no host form answers as a
// blank one.
//
// Request codes (block positions 4-6) and the statuses answered at block positions 230-231:
//   "TST"         open for reading   "00"; "35" missing file or blank name; "37" no permission,
//                                    or not a regular file (a FIFO, a device, a socket, a
//                                    directory: refused at once, never waited on); "39" bad
//                                    record length; "41" a file is already open; "30" any other
//                                    failure
//   "ST ", "AST"  position before the first record
//                                    "00"; "42" not open; "47" open for output
//   "RN ", "ARN"  read the next record into the record area's first bytes (the rest of the
//                 2048-byte area is set to spaces)
//                                    "00"; "10" at end of file; "30" for a trailing partial
//                                    record (the file is not a whole number of records; the
//                                    failure words say "N bytes left at the end, not a whole
//                                    record"), then "46" for every further read; "42" not open;
//                                    "47" open for output
//   "OU "         open for output: a new, empty file under the temporary name (the data file
//                 name plus ".dunax-new", beside it) with no more permission than the data file
//                 has (0600 stays 0600; 0666 less the umask when there is no data file yet);
//                 the data file itself is not touched
//                                    "00"; "37" no permission, or a data file that may not be
//                                    replaced (a directory, a symbolic link, a FIFO, a device, a
//                                    socket: the failure words say which, "a symbolic link is
//                                    not replaced"); "39" bad record length; "41" a file is
//                                    already open; "30" blank name or any other failure
//   "WR ", "AWR"  write one record: the record area's first bytes (record length); every byte
//                 of the 1024-byte transfer record past the record length must be a space or a
//                 zero byte
//                                    "00"; "44" data past the record length (nothing written);
//                                    "34" no room (disk full, a file-size limit: the converter
//                                    ignores SIGXFSZ, so the write fails with "file too large");
//                                    "42" not open;
//                                    "48" open for input; "30" any other failure
//   "CL "         close; after output, the records are written out and flushed to the disk and
//                 the temporary file is renamed over the data file (then the directory entry is
//                 flushed), only when no write failed since "OU " and the record area does not
//                 start with "DESCARTA" (the converter's word for "discard what was written":
//                 the temporary file is then removed and "00" answered)
//                                    "00"; "42" not open; the status of the first failed write
//                                    since "OU "; "34"/"30" records that could not be written or
//                                    flushed, or a failed rename. On every failure the temporary
//                                    file is removed and the data file is left as it was.
//   anything else                    "90"
// Failure words: after "30" for a partial record and "37" at "OU ", the second half of the
// record area (offset 1024) starts with "MOTIVO:" and the reason in words, space-padded
// (layouts/request_block.h); the converter shows them in its reason line with the record
// number it counted ("read: record 60,001: 50 bytes left at the end, not a whole record").
// "TST" and "OU " first remove a temporary file that a failed or killed run left behind. A run
// killed at any moment leaves the data file as it was, with at most the temporary file beside
// it. The return code is always 0.
#include "platform/module_export.h"
#include "suite/records/request_block.h"
#include "suite/records/sequential_access.h"

namespace {

// The one data file of this program. When the module is unloaded, a file open for input is
// closed and one open for output is dropped (the data file is left as it was).
dunax::records::SequentialAccess dataFile;

}  // namespace

extern "C" DUNAX_EXPORT int RECSEQ(void* requestBlock) {
  if (requestBlock == nullptr) return 0;
  dataFile.handle(*static_cast<dunax::records::RequestBlock*>(requestBlock));
  return 0;
}
