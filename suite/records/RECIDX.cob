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
      *> space; "\" is read as "/". The indexed handler is the one the
      *> GnuCOBOL run-time was built with (Debian's: Berkeley DB).
      *>
      *> Request codes (block positions 4-6), statuses answered at block
      *> positions 230-231 (the FILE STATUS of the data file):
      *>   "TST"         open for reading: "00"; "35" missing file;
      *>                 "37" no permission; "41" already open
      *>   "ST ", "AST"  position before the record with the lowest key:
      *>                 "00" (an empty file too; the next read then
      *>                 answers "10"); "42" not open; "47" open for
      *>                 output
      *>   "RN ", "ARN"  read the next record in key order into the
      *>                 first 1024 bytes of the record area (the other
      *>                 1024 are set to spaces): "00"; "10" at end;
      *>                 "42" not open; "47" open for output
      *>   "OU "         open for output, a new empty file: "00"; "37";
      *>                 "41" already open
      *>   "WR ", "AWR"  write the first 1024 bytes of the record area,
      *>                 in any key order: "00"; "22" the key is already
      *>                 there; "42" not open; "48" open for input
      *>   "CL "         close: "00"; "42" not open
      *>   anything else "90"
      *> Other statuses of the run-time's indexed handler pass through.
       IDENTIFICATION DIVISION.
       PROGRAM-ID. RECIDX.

       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT DATA-FILE ASSIGN TO WS-FILE-NAME
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
       01  WS-FILE-STATUS            PIC XX     VALUE "00".
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
               OPEN INPUT DATA-FILE
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
               OPEN OUTPUT DATA-FILE
               IF WS-FILE-STATUS = "00"
                   SET FILE-OPEN-OUTPUT TO TRUE
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
           END-EVALUATE.

       CLOSE-DATA-FILE.
           IF FILE-CLOSED
               MOVE "42" TO WS-FILE-STATUS
           ELSE
               CLOSE DATA-FILE
               SET FILE-CLOSED TO TRUE
           END-IF.
