      *> RECIDX - record-access program for indexed data files (GnuCOBOL).
      *>
      *> Called by name (RECIDX.so, entry RECIDX) with the 2280-byte
      *> request block as its only argument; one data file is open at a
      *> time. Every call ends with GOBACK.
      *>
      *> Layout (fixed): records of 1024 bytes, the whole of what the
      *> converter moves per record; the primary key is the first 16
      *> bytes of the record, unique, no alternate keys. The
      *> pass-through fields (B included) are not used.
      *>
      *> Data file: the name at block positions 38-87, up to its first
      *> space, in Windows-1252; OPEN uses its host form (RECIDXHOST,
      *> RECIDXTMP: "\" read as "/", drive and network names mapped,
      *> the text in the host's encoding). The indexed handler is the
      *> one the GnuCOBOL run-time was built with (Debian's: Berkeley
      *> DB).
      *>
      *> Request codes (block positions 4-6), statuses answered at block
      *> positions 230-231 (the FILE STATUS of the data file):
      *>   "TST"         open for reading: "00"; "35" missing file, blank
      *>                 name or a name with no host form;
      *>                 "37" no permission; "41" already open
      *>   "ST ", "AST"  position before the record with the lowest key:
      *>                 "00" (an empty file too; the next read then
      *>                 answers "10"); "42" not open; "47" open for
      *>                 output
      *>   "RN ", "ARN"  read the next record in key order into the
      *>                 first 1024 bytes of the record area (the other
      *>                 1024 are set to spaces): "00"; "10" at end;
      *>                 "42" not open; "47" open for output
      *>   "OU "         open for output, a new empty file under the
      *>                 temporary name (the data file name plus
      *>                 ".dunax-new", beside it; the data file itself is
      *>                 not touched): "00"; "37" no permission (also a
      *>                 data file that may not be replaced: a directory,
      *>                 a symbolic link); "30" blank name or a name with
      *>                 no host form; "41" already
      *>                 open
      *>   "WR ", "AWR"  write the first 1024 bytes of the record area,
      *>                 in any key order: "00"; "22" the key is already
      *>                 there; "42" not open; "48" open for input
      *>   "CL "         close; after output, the closed temporary file
      *>                 is flushed to the disk and renamed over the data
      *>                 file (then the directory entry is flushed), only
      *>                 when no write failed since "OU " and the record
      *>                 area does not start with "DESCARTA" (the
      *>                 converter's "discard": the file is removed, "00")
      *>                 : "00"; "42" not
      *>                 open; the status of the first failed write since
      *>                 "OU "; the failing status of the CLOSE; "34" no
      *>                 room or "30" for a failed flush or rename. On
      *>                 every failure the temporary file is removed and
      *>                 the data file is left as it was.
      *>   anything else "90"
      *> Other statuses of the run-time's indexed handler pass through.
      *> "TST" and "OU " first remove a temporary file that a failed or
      *> killed run left behind; a run killed at any moment leaves the
      *> data file as it was. The indexed file is one file (Berkeley DB
      *> keeps a file without alternate keys in one file), so the one
      *> rename publishes all of it. The calls RECIDXHOST, RECIDXTMP,
      *> RECIDXDROP, RECIDXCHECK and RECIDXPUB are linked in
      *> (recidx_publication.cpp, compiled with cobc -fstatic-call).
       IDENTIFICATION DIVISION.
       PROGRAM-ID. RECIDX.

       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT DATA-FILE ASSIGN TO WS-ASSIGNED-NAME
               ORGANIZATION IS INDEXED
               ACCESS MODE IS DYNAMIC
               RECORD KEY IS DATA-KEY
               FILE STATUS IS WS-FILE-STATUS.

       DATA DIVISION.
       FILE SECTION.
       FD  DATA-FILE.
       01  DATA-RECORD.
           05  DATA-KEY              PIC X(16).
           05  DATA-REST             PIC X(1008).

       WORKING-STORAGE SECTION.
       01  WS-FILE-NAME              PIC X(50)  VALUE SPACES.
      *> The name opened, in the host's form (RECIDXHOST, RECIDXTMP):
      *> the data file's, or for output its temporary name.
       01  WS-ASSIGNED-NAME          PIC X(1024) VALUE SPACES.
       01  WS-FILE-STATUS            PIC XX     VALUE "00".
      *> The status of the first write that failed since "OU ".
       01  WS-WRITE-FAILURE          PIC XX     VALUE "00".
       01  WS-OPEN-MODE              PIC X      VALUE "C".
           88  FILE-CLOSED                      VALUE "C".
           88  FILE-OPEN-INPUT                  VALUE "I".
           88  FILE-OPEN-OUTPUT                 VALUE "O".
       01  WS-AT-END                 PIC X      VALUE "N".
           88  NO-RECORD-LEFT                   VALUE "Y".

       LINKAGE SECTION.
       01  REQUEST-BLOCK.
           05  RB-VERSION            PIC X.
           05  FILLER                PIC X(3).
           05  RB-CODE               PIC X(3).
           05  FILLER                PIC X(31).
           05  RB-FILE-NAME          PIC X(50).
           05  FILLER                PIC X(142).
           05  RB-STATUS             PIC XX.
           05  RB-RECORD-AREA.
               10  RB-RECORD         PIC X(1024).
               10  RB-RECORD-REST    PIC X(1024).

       PROCEDURE DIVISION USING REQUEST-BLOCK.
       MAIN-PARAGRAPH.
           EVALUATE RB-CODE
               WHEN "TST"
                   PERFORM OPEN-FOR-READING
               WHEN "ST "
               WHEN "AST"
                   PERFORM POSITION-AT-FIRST
               WHEN "RN "
               WHEN "ARN"
                   PERFORM READ-NEXT-RECORD
               WHEN "OU "
                   PERFORM OPEN-FOR-WRITING
               WHEN "WR "
               WHEN "AWR"
                   PERFORM WRITE-ONE-RECORD
               WHEN "CL "
                   PERFORM CLOSE-DATA-FILE
               WHEN OTHER
                   MOVE "90" TO WS-FILE-STATUS
           END-EVALUATE
           MOVE WS-FILE-STATUS TO RB-STATUS
           GOBACK.

       TAKE-FILE-NAME.
           MOVE SPACES TO WS-FILE-NAME
           UNSTRING RB-FILE-NAME DELIMITED BY SPACE
               INTO WS-FILE-NAME
           END-UNSTRING
           INSPECT WS-FILE-NAME REPLACING ALL "\" BY "/".

       OPEN-FOR-READING.
           IF NOT FILE-CLOSED
               MOVE "41" TO WS-FILE-STATUS
           ELSE
               PERFORM TAKE-FILE-NAME
               CALL "RECIDXDROP" USING WS-FILE-NAME
               CALL "RECIDXHOST" USING WS-FILE-NAME WS-ASSIGNED-NAME
                   WS-FILE-STATUS
               IF WS-FILE-STATUS = "00"
                   OPEN INPUT DATA-FILE
               END-IF
               IF WS-FILE-STATUS = "00"
                   SET FILE-OPEN-INPUT TO TRUE
                   MOVE "N" TO WS-AT-END
               END-IF
           END-IF.

       OPEN-FOR-WRITING.
           IF NOT FILE-CLOSED
               MOVE "41" TO WS-FILE-STATUS
           ELSE
               PERFORM TAKE-FILE-NAME
               CALL "RECIDXDROP" USING WS-FILE-NAME
               CALL "RECIDXCHECK" USING WS-FILE-NAME WS-FILE-STATUS
               IF WS-FILE-STATUS = "00"
                   CALL "RECIDXTMP" USING WS-FILE-NAME WS-ASSIGNED-NAME
                       WS-FILE-STATUS
               END-IF
               IF WS-FILE-STATUS = "00"
                   OPEN OUTPUT DATA-FILE
                   IF WS-FILE-STATUS = "00"
                       SET FILE-OPEN-OUTPUT TO TRUE
                       MOVE "00" TO WS-WRITE-FAILURE
                   ELSE
                       CALL "RECIDXDROP" USING WS-FILE-NAME
                   END-IF
               END-IF
           END-IF.

       POSITION-AT-FIRST.
           EVALUATE TRUE
               WHEN FILE-CLOSED
                   MOVE "42" TO WS-FILE-STATUS
               WHEN FILE-OPEN-OUTPUT
                   MOVE "47" TO WS-FILE-STATUS
               WHEN OTHER
                   MOVE LOW-VALUES TO DATA-KEY
                   MOVE "N" TO WS-AT-END
                   START DATA-FILE KEY IS NOT LESS THAN DATA-KEY
                   END-START
                   IF WS-FILE-STATUS = "23"
                       MOVE "Y" TO WS-AT-END
                       MOVE "00" TO WS-FILE-STATUS
                   END-IF
           END-EVALUATE.

       READ-NEXT-RECORD.
           EVALUATE TRUE
               WHEN FILE-CLOSED
                   MOVE "42" TO WS-FILE-STATUS
               WHEN FILE-OPEN-OUTPUT
                   MOVE "47" TO WS-FILE-STATUS
               WHEN NO-RECORD-LEFT
                   MOVE "10" TO WS-FILE-STATUS
               WHEN OTHER
                   READ DATA-FILE NEXT RECORD
                   END-READ
                   IF WS-FILE-STATUS = "00"
                       MOVE DATA-RECORD TO RB-RECORD
                       MOVE SPACES TO RB-RECORD-REST
                   END-IF
           END-EVALUATE.

       WRITE-ONE-RECORD.
           EVALUATE TRUE
               WHEN FILE-CLOSED
                   MOVE "42" TO WS-FILE-STATUS
               WHEN FILE-OPEN-INPUT
                   MOVE "48" TO WS-FILE-STATUS
               WHEN OTHER
                   MOVE RB-RECORD TO DATA-RECORD
                   WRITE DATA-RECORD
                   END-WRITE
                   IF WS-FILE-STATUS (1:1) NOT = "0"
                      AND WS-WRITE-FAILURE = "00"
                       MOVE WS-FILE-STATUS TO WS-WRITE-FAILURE
                   END-IF
           END-EVALUATE.

       CLOSE-DATA-FILE.
           EVALUATE TRUE
               WHEN FILE-CLOSED
                   MOVE "42" TO WS-FILE-STATUS
               WHEN FILE-OPEN-INPUT
                   CLOSE DATA-FILE
                   SET FILE-CLOSED TO TRUE
               WHEN OTHER
                   CLOSE DATA-FILE
                   SET FILE-CLOSED TO TRUE
                   PERFORM PUBLISH-OR-DROP
           END-EVALUATE.

      *> After the output file's CLOSE: publish it when nothing failed,
      *> otherwise remove it and answer the failure. A record area that
      *> starts with "DESCARTA" is the converter saying the conversion
      *> failed or was stopped: the file is removed, the answer is "00".
       PUBLISH-OR-DROP.
           EVALUATE TRUE
               WHEN RB-RECORD(1:8) = "DESCARTA"
                   CALL "RECIDXDROP" USING WS-FILE-NAME
                   MOVE "00" TO WS-FILE-STATUS
               WHEN WS-WRITE-FAILURE NOT = "00"
                   CALL "RECIDXDROP" USING WS-FILE-NAME
                   MOVE WS-WRITE-FAILURE TO WS-FILE-STATUS
               WHEN WS-FILE-STATUS NOT = "00"
                   CALL "RECIDXDROP" USING WS-FILE-NAME
               WHEN OTHER
                   CALL "RECIDXPUB" USING WS-FILE-NAME WS-FILE-STATUS
           END-EVALUATE.
