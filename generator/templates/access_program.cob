      *> %PROGRAM% - record-access program for the data file described
      *> in %DESCRIPTION%, made by dunaxgen %VERSION%.
      *>
      *> Called by name (%PROGRAM%.so, entry %PROGRAM%) with the 2280-byte
      *> request block as its only argument; one data file is open at a
      *> time. The SELECT below is the description's with the file
      *> assigned to the name in the request block (positions 38-87, up
      *> to the first space, Windows-1252, mapped to the host's form); the
      *> FD is the description's, copied as written.
      *>
      *> Request codes (positions 4-6) and statuses (positions 230-231):
      *>   "TST"         open for reading: "00"; "35" missing file or a
      *>                 name with no host form; "37" no permission
      *>   "ST ", "AST"  position before the first record (indexed: by
      *>                 the primary key, "AST" by the first alternate
      *>                 key): "00"; "42" not open; "47" open for output
      *>   "RN ", "ARN"  the next record, at the front of the record
      *>                 area, spaces after it: "00"; "10" at end; "9E"
      *>                 a relative file with an empty slot (its record
      *>                 numbers could not be kept); "30" a fixed-length
      *>                 sequential file that ends in a partial record;
      *>                 "42"; "47"
      *>   "OU "         open a new file under the temporary name (the
      *>                 data file name plus ".dunax-new"): "00"; "37"
      *>                 the data file may not be replaced; "30"; "41"
      *>   "WR ", "AWR"  write the first bytes of the record area as one
      *>                 record: "00"; "44" bytes past the record that
      *>                 are neither spaces nor zero bytes, or a length
      *>                 the file cannot hold; "22"; "42";
      *>                 "48" open for input
      *>   "CL "         close; after output publish every file of the
      *>                 data file together when no write failed and the
      *>                 record area does not start with "DESCARTA"
      *>                 (then the new files are removed, "00"): "00";
      *>                 the first failed write's status; "34"; "30"
      *>   "SIZ"         (dunaxgen's own) the byte length of each 01
      *>                 record (the longest it can be), 9 digits each,
      *>                 in the record area
      *>   anything else "90"
      *> Other statuses of the run-time's file handler pass through.
      *> "TST" and "OU " first tidy what a killed run left (DXGDROP).
       IDENTIFICATION DIVISION.
       PROGRAM-ID. %PROGRAM%.

       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
%SELECT%

       DATA DIVISION.
       FILE SECTION.
%FD%

       WORKING-STORAGE SECTION.
       01  DXG-FILE-NAME             PIC X(50)   VALUE SPACES.
       01  DXG-ASSIGNED-NAME         PIC X(1024) VALUE SPACES.
       01  DXG-FILE-STATUS           PIC XX      VALUE "00".
       01  DXG-WRITE-FAILURE         PIC XX      VALUE "00".
      *> The files beside the data file: one per alternate key.
       01  DXG-COMPANIONS            PIC 99      VALUE %COMPANIONS%.
       01  DXG-OPEN-MODE             PIC X       VALUE "C".
           88  DXG-CLOSED                        VALUE "C".
           88  DXG-OPEN-INPUT                    VALUE "I".
           88  DXG-OPEN-OUTPUT                   VALUE "O".
       01  DXG-AT-END                PIC X       VALUE "N".
           88  DXG-NO-RECORD-LEFT                VALUE "Y".
       01  DXG-READS-DONE            PIC X       VALUE "N".
      *> The length of the record being written and the lengths a record
      *> of the file may have.
       01  DXG-RECORD-LENGTH         PIC 9(9) COMP-5 VALUE 0.
       01  DXG-MIN-LENGTH            PIC 9(9) COMP-5 VALUE 0.
       01  DXG-MAX-LENGTH            PIC 9(9) COMP-5 VALUE 0.
%LENGTH-ITEM-DEFINITION%
       01  DXG-RELATIVE-KEY          PIC 9(9) COMP-5 VALUE 0.
       01  DXG-EXPECTED-KEY          PIC 9(9) COMP-5 VALUE 0.
       01  DXG-SIZE-TEXT             PIC 9(9).

       LINKAGE SECTION.
       01  DXG-REQUEST-BLOCK.
           05  FILLER                PIC X(4).
           05  DXG-RB-CODE           PIC X(3).
           05  FILLER                PIC X(31).
           05  DXG-RB-FILE-NAME      PIC X(50).
           05  FILLER                PIC X(142).
           05  DXG-RB-STATUS         PIC XX.
           05  DXG-RB-RECORD-AREA.
               10  DXG-RB-RECORD     PIC X(1024).
               10  DXG-RB-RECORD-REST PIC X(1024).

       PROCEDURE DIVISION USING DXG-REQUEST-BLOCK.
       DXG-MAIN.
           EVALUATE DXG-RB-CODE
               WHEN "RN "
               WHEN "ARN"
                   PERFORM DXG-READ-NEXT
               WHEN "WR "
               WHEN "AWR"
                   PERFORM DXG-WRITE-ONE
               WHEN "TST"
                   PERFORM DXG-OPEN-FOR-READING
               WHEN "ST "
                   PERFORM DXG-POSITION-AT-FIRST
               WHEN "AST"
                   PERFORM DXG-POSITION-AT-FIRST-ALTERNATE
               WHEN "OU "
                   PERFORM DXG-OPEN-FOR-WRITING
               WHEN "CL "
                   PERFORM DXG-CLOSE
               WHEN "SIZ"
                   PERFORM DXG-RECORD-SIZES
               WHEN OTHER
                   MOVE "90" TO DXG-FILE-STATUS
           END-EVALUATE
           MOVE DXG-FILE-STATUS TO DXG-RB-STATUS
           GOBACK.

       DXG-TAKE-FILE-NAME.
           MOVE DXG-RB-FILE-NAME TO DXG-FILE-NAME
           CALL "DXGDROP" USING DXG-FILE-NAME DXG-COMPANIONS.

       DXG-OPEN-FOR-READING.
           IF NOT DXG-CLOSED
               MOVE "41" TO DXG-FILE-STATUS
           ELSE
               PERFORM DXG-TAKE-FILE-NAME
               CALL "DXGHOST" USING DXG-FILE-NAME DXG-ASSIGNED-NAME
                   DXG-FILE-STATUS
               IF DXG-FILE-STATUS = "00"
                   OPEN INPUT %FILE%
               END-IF
               IF DXG-FILE-STATUS = "00"
                   SET DXG-OPEN-INPUT TO TRUE
                   MOVE "N" TO DXG-AT-END
                   MOVE "N" TO DXG-READS-DONE
                   MOVE 0 TO DXG-EXPECTED-KEY
               END-IF
           END-IF.

       DXG-OPEN-FOR-WRITING.
           IF NOT DXG-CLOSED
               MOVE "41" TO DXG-FILE-STATUS
           ELSE
               PERFORM DXG-TAKE-FILE-NAME
               CALL "DXGCHECK" USING DXG-FILE-NAME DXG-COMPANIONS
                   DXG-FILE-STATUS
               IF DXG-FILE-STATUS = "00"
                   CALL "DXGTMP" USING DXG-FILE-NAME DXG-ASSIGNED-NAME
                       DXG-FILE-STATUS
               END-IF
               IF DXG-FILE-STATUS = "00"
                   OPEN OUTPUT %FILE%
                   IF DXG-FILE-STATUS = "00"
                       SET DXG-OPEN-OUTPUT TO TRUE
                       MOVE "00" TO DXG-WRITE-FAILURE
                       MOVE 0 TO DXG-RELATIVE-KEY
                       MOVE FUNCTION BYTE-LENGTH(%RECORD%)
                           TO DXG-RECORD-LENGTH
                       MOVE DXG-RECORD-LENGTH TO DXG-MIN-LENGTH
                       MOVE DXG-RECORD-LENGTH TO DXG-MAX-LENGTH
      *>?VARIABLE
                       PERFORM DXG-MEASURE
      *>?END
                   ELSE
                       CALL "DXGDROP" USING DXG-FILE-NAME DXG-COMPANIONS
                   END-IF
               END-IF
           END-IF.

       DXG-POSITION-AT-FIRST.
           EVALUATE TRUE
               WHEN DXG-CLOSED
                   MOVE "42" TO DXG-FILE-STATUS
               WHEN DXG-OPEN-OUTPUT
                   MOVE "47" TO DXG-FILE-STATUS
               WHEN OTHER
                   MOVE "N" TO DXG-AT-END
                   MOVE 0 TO DXG-EXPECTED-KEY
      *>?INDEXED
%LOW-VALUES%
                   START %FILE% KEY IS NOT LESS THAN %PRIMARY-KEY%
                   END-START
                   PERFORM DXG-END-WHEN-NOTHING-FOUND
      *>?END
      *>?RELATIVE
                   MOVE 1 TO DXG-RELATIVE-KEY
                   START %FILE% KEY IS NOT LESS THAN DXG-RELATIVE-KEY
                   END-START
                   PERFORM DXG-END-WHEN-NOTHING-FOUND
      *>?END
      *>?SEQUENTIAL
                   IF DXG-READS-DONE = "Y"
                       CLOSE %FILE%
                       OPEN INPUT %FILE%
                       IF DXG-FILE-STATUS NOT = "00"
                           SET DXG-CLOSED TO TRUE
                       END-IF
                       MOVE "N" TO DXG-READS-DONE
                   END-IF
                   MOVE "00" TO DXG-FILE-STATUS
      *>?END
           END-EVALUATE.

       DXG-POSITION-AT-FIRST-ALTERNATE.
      *>?ALTERNATE
           EVALUATE TRUE
               WHEN DXG-CLOSED
                   MOVE "42" TO DXG-FILE-STATUS
               WHEN DXG-OPEN-OUTPUT
                   MOVE "47" TO DXG-FILE-STATUS
               WHEN OTHER
                   MOVE "N" TO DXG-AT-END
%LOW-VALUES%
                   START %FILE% KEY IS NOT LESS THAN %ALTERNATE-KEY%
                   END-START
                   PERFORM DXG-END-WHEN-NOTHING-FOUND
           END-EVALUATE.
      *>?END
      *>?!ALTERNATE
           PERFORM DXG-POSITION-AT-FIRST.
      *>?END

      *> A START that finds no record leaves an empty file: the next read
      *> answers "10".
       DXG-END-WHEN-NOTHING-FOUND.
           IF DXG-FILE-STATUS = "23"
               MOVE "Y" TO DXG-AT-END
               MOVE "00" TO DXG-FILE-STATUS
           END-IF.

       DXG-READ-NEXT.
           EVALUATE TRUE
               WHEN DXG-OPEN-INPUT AND NOT DXG-NO-RECORD-LEFT
                   MOVE "Y" TO DXG-READS-DONE
      *>?!COPY-BY-LENGTH
                   READ %FILE% NEXT RECORD INTO DXG-RB-RECORD
                   END-READ
      *>?END
      *>?COPY-BY-LENGTH
                   READ %FILE% NEXT RECORD
                   END-READ
                   IF DXG-FILE-STATUS (1:1) = "0"
                       MOVE SPACES TO DXG-RB-RECORD
                       MOVE %LENGTH-ITEM% TO DXG-RECORD-LENGTH
                       CALL "DXGPUT" USING DXG-RB-RECORD %RECORD%
                           DXG-RECORD-LENGTH
                   END-IF
      *>?END
      *>?FIXED-SEQUENTIAL
      *>           A short last record: the file is not of this length.
                   IF DXG-FILE-STATUS = "04"
                       MOVE "30" TO DXG-FILE-STATUS
                       MOVE "Y" TO DXG-AT-END
                   END-IF
      *>?END
                   IF DXG-FILE-STATUS (1:1) = "0"
                       MOVE SPACES TO DXG-RB-RECORD-REST
      *>?RELATIVE
                       ADD 1 TO DXG-EXPECTED-KEY
                       IF DXG-RELATIVE-KEY NOT = DXG-EXPECTED-KEY
                           PERFORM DXG-REFUSE-EMPTY-SLOT
                       END-IF
      *>?END
                   END-IF
               WHEN DXG-CLOSED
                   MOVE "42" TO DXG-FILE-STATUS
               WHEN DXG-OPEN-OUTPUT
                   MOVE "47" TO DXG-FILE-STATUS
               WHEN OTHER
                   MOVE "10" TO DXG-FILE-STATUS
           END-EVALUATE.
      *>?RELATIVE

       DXG-REFUSE-EMPTY-SLOT.
           MOVE "9E" TO DXG-FILE-STATUS
           MOVE "Y" TO DXG-AT-END
           MOVE DXG-EXPECTED-KEY TO DXG-SIZE-TEXT
           DISPLAY "%PROGRAM%: record " DXG-SIZE-TEXT " of the relative"
               " file is empty: its record numbers cannot be kept"
               UPON SYSERR
           END-DISPLAY.
      *>?END

       DXG-WRITE-ONE.
           EVALUATE TRUE
               WHEN DXG-OPEN-OUTPUT
      *>?VARIABLE
                   PERFORM DXG-MEASURE-RECORD
      *>?END
                   IF DXG-RECORD-LENGTH > DXG-MAX-LENGTH
                      OR DXG-RECORD-LENGTH < DXG-MIN-LENGTH
                       MOVE "44" TO DXG-FILE-STATUS
                   ELSE
                       CALL "DXGTAIL" USING DXG-RB-RECORD
                           DXG-RECORD-LENGTH DXG-FILE-STATUS
                   END-IF
                   IF DXG-FILE-STATUS = "00"
      *>?RELATIVE
                       ADD 1 TO DXG-RELATIVE-KEY
      *>?END
      *>?!VARIABLE
                       WRITE %RECORD% FROM DXG-RB-RECORD
                       END-WRITE
      *>?END
      *>?VARIABLE
                       WRITE %RECORD%
                       END-WRITE
      *>?END
                   END-IF
                   IF DXG-FILE-STATUS (1:1) NOT = "0"
                      AND DXG-WRITE-FAILURE = "00"
                       MOVE DXG-FILE-STATUS TO DXG-WRITE-FAILURE
                   END-IF
               WHEN DXG-CLOSED
                   MOVE "42" TO DXG-FILE-STATUS
               WHEN OTHER
                   MOVE "48" TO DXG-FILE-STATUS
           END-EVALUATE.

      *>?VARIABLE
      *> The shortest and the longest record of the file: every table at
      *> its fewest entries, then at its most (they are left so).
       DXG-MEASURE.
%MEASURE%
           .

      *> The transfer record into the record area, and its length: from
      *> the counts of its tables, or without its trailing spaces.
       DXG-MEASURE-RECORD.
           CALL "DXGPUT" USING %RECORD% DXG-RB-RECORD DXG-MAX-LENGTH
      *>?TABLES
           MOVE FUNCTION BYTE-LENGTH(%RECORD%) TO DXG-RECORD-LENGTH
      *>?END
      *>?!TABLES
           CALL "DXGTRIM" USING DXG-RB-RECORD DXG-MIN-LENGTH
               DXG-RECORD-LENGTH
      *>?END
      *>?LENGTH-ITEM
           MOVE DXG-RECORD-LENGTH TO %LENGTH-ITEM%
      *>?END
           .
      *>?END

       DXG-CLOSE.
           EVALUATE TRUE
               WHEN DXG-CLOSED
                   MOVE "42" TO DXG-FILE-STATUS
               WHEN DXG-OPEN-INPUT
                   CLOSE %FILE%
                   SET DXG-CLOSED TO TRUE
               WHEN OTHER
                   CLOSE %FILE%
                   SET DXG-CLOSED TO TRUE
                   PERFORM DXG-PUBLISH-OR-DROP
           END-EVALUATE.

      *> After the output file's CLOSE: publish it when nothing failed,
      *> otherwise remove it and answer the failure; "DESCARTA" is the
      *> converter saying the conversion failed or was stopped.
       DXG-PUBLISH-OR-DROP.
           EVALUATE TRUE
               WHEN DXG-RB-RECORD (1:8) = "DESCARTA"
                   CALL "DXGDROP" USING DXG-FILE-NAME DXG-COMPANIONS
                   MOVE "00" TO DXG-FILE-STATUS
               WHEN DXG-WRITE-FAILURE NOT = "00"
                   CALL "DXGDROP" USING DXG-FILE-NAME DXG-COMPANIONS
                   MOVE DXG-WRITE-FAILURE TO DXG-FILE-STATUS
               WHEN DXG-FILE-STATUS NOT = "00"
                   CALL "DXGDROP" USING DXG-FILE-NAME DXG-COMPANIONS
               WHEN OTHER
                   CALL "DXGPUB" USING DXG-FILE-NAME DXG-COMPANIONS
                       DXG-FILE-STATUS
           END-EVALUATE.

      *> The byte length of each 01 record, in the order written.
       DXG-RECORD-SIZES.
           MOVE SPACES TO DXG-RB-RECORD-AREA
      *>?VARIABLE
           PERFORM DXG-MEASURE
      *>?END
%SIZES%
           MOVE "00" TO DXG-FILE-STATUS.
