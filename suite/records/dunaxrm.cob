      *> dunaxrm - the RM/COBOL side of a conversion, played by
      *> GnuCOBOL: reads a transfer file and writes another one with the
      *> same records, as the RM/COBOL program does when it turns the
      *> transfer file into its own file and back.
      *>
      *> Usage: dunaxrm INPUT OUTPUT [EXTRA-SEGMENTS]
      *>        dunaxrm --help | --version
      *>   INPUT           the transfer file to read (segment 0, for
      *>                   example clientes.dat.bin)
      *>   OUTPUT          the transfer file to write, in one piece
      *>   EXTRA-SEGMENTS  0 to 9 (default 0): how many segments follow
      *>                   INPUT; segment n is INPUT with the character
      *>                   after its first ".bi" replaced by the digit n
      *>                   (clientes.dat.bi1, ...), read in order
      *>
      *> Transfer files: ORGANIZATION SEQUENTIAL, fixed 1024-byte records
      *> back to back, no header and no length prefix.
      *>
      *> Exit code: 0 all records copied (their count on standard
      *> output), or --help / --version answered; 4 bad command line;
      *> 8 a FILE STATUS other than "00" (or "10" at the end of a
      *> segment), told on standard error with the operation and the
      *> file name. A trailing partial record is such a failure.
       IDENTIFICATION DIVISION.
       PROGRAM-ID. dunaxrm.

       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT TRANSFER-IN ASSIGN TO WS-INPUT-NAME
               ORGANIZATION IS SEQUENTIAL
               ACCESS MODE IS SEQUENTIAL
               FILE STATUS IS WS-INPUT-STATUS.
           SELECT TRANSFER-OUT ASSIGN TO WS-OUTPUT-NAME
               ORGANIZATION IS SEQUENTIAL
               ACCESS MODE IS SEQUENTIAL
               FILE STATUS IS WS-OUTPUT-STATUS.

       DATA DIVISION.
       FILE SECTION.
       FD  TRANSFER-IN
           RECORD CONTAINS 1024 CHARACTERS.
       01  TRANSFER-IN-RECORD        PIC X(1024).
       FD  TRANSFER-OUT
           RECORD CONTAINS 1024 CHARACTERS.
       01  TRANSFER-OUT-RECORD       PIC X(1024).

       WORKING-STORAGE SECTION.
       01  WS-BASE-NAME              PIC X(256) VALUE SPACES.
       01  WS-INPUT-NAME             PIC X(256) VALUE SPACES.
       01  WS-OUTPUT-NAME            PIC X(256) VALUE SPACES.
       01  WS-SEGMENTS-TEXT          PIC X(8)   VALUE SPACES.
       01  WS-INPUT-STATUS           PIC XX     VALUE "00".
       01  WS-OUTPUT-STATUS          PIC XX     VALUE "00".
       01  WS-ARGUMENT-COUNT         PIC 9(4)   VALUE 0.
       01  WS-EXTRA-SEGMENTS         PIC 9      VALUE 0.
       01  WS-SEGMENT                PIC 99     VALUE 0.
       01  WS-SEGMENT-DIGIT          PIC 9      VALUE 0.
       01  WS-DIGIT-POSITION         PIC 9(4)   VALUE 0.
       01  WS-SCAN                   PIC 9(4)   VALUE 0.
       01  WS-RECORDS                PIC 9(15)  VALUE 0.
       01  WS-RECORDS-SHOWN          PIC Z(14)9.
       01  WS-OPERATION              PIC X(20)  VALUE SPACES.
       01  WS-FAILED-NAME            PIC X(256) VALUE SPACES.
       01  WS-FAILED-STATUS          PIC XX     VALUE SPACES.
       01  WS-END-OF-SEGMENT         PIC X      VALUE "N".
           88  SEGMENT-ENDED                    VALUE "Y".
       COPY "dunax-version.cpy".

       PROCEDURE DIVISION.
       MAIN-PARAGRAPH.
           PERFORM READ-COMMAND-LINE
           OPEN OUTPUT TRANSFER-OUT
           IF WS-OUTPUT-STATUS NOT = "00"
               MOVE "open for output" TO WS-OPERATION
               PERFORM FAIL-ON-OUTPUT
           END-IF
           PERFORM COPY-SEGMENT
               VARYING WS-SEGMENT FROM 0 BY 1
               UNTIL WS-SEGMENT > WS-EXTRA-SEGMENTS
           CLOSE TRANSFER-OUT
           IF WS-OUTPUT-STATUS NOT = "00"
               MOVE "close" TO WS-OPERATION
               PERFORM FAIL-ON-OUTPUT
           END-IF
           MOVE WS-RECORDS TO WS-RECORDS-SHOWN
           DISPLAY "dunaxrm: " FUNCTION TRIM(WS-RECORDS-SHOWN)
               " records copied"
           MOVE 0 TO RETURN-CODE
           STOP RUN.

       READ-COMMAND-LINE.
           ACCEPT WS-ARGUMENT-COUNT FROM ARGUMENT-NUMBER
           IF WS-ARGUMENT-COUNT = 1
               ACCEPT WS-BASE-NAME FROM ARGUMENT-VALUE
               EVALUATE WS-BASE-NAME
                   WHEN "--help"
                       PERFORM SHOW-HELP
                   WHEN "--version"
                       DISPLAY "dunaxrm (dunax) "
                           FUNCTION TRIM(WS-DUNAX-VERSION)
                       MOVE 0 TO RETURN-CODE
                       STOP RUN
               END-EVALUATE
           END-IF
           IF WS-ARGUMENT-COUNT < 2 OR WS-ARGUMENT-COUNT > 3
               PERFORM FAIL-USAGE
           END-IF
           ACCEPT WS-BASE-NAME FROM ARGUMENT-VALUE
           ACCEPT WS-OUTPUT-NAME FROM ARGUMENT-VALUE
           IF WS-BASE-NAME = SPACES OR WS-OUTPUT-NAME = SPACES
               PERFORM FAIL-USAGE
           END-IF
           IF WS-ARGUMENT-COUNT = 3
               ACCEPT WS-SEGMENTS-TEXT FROM ARGUMENT-VALUE
               IF WS-SEGMENTS-TEXT(1:1) IS NOT NUMERIC
                  OR WS-SEGMENTS-TEXT(2:) NOT = SPACES
                   PERFORM FAIL-USAGE
               END-IF
               MOVE WS-SEGMENTS-TEXT(1:1) TO WS-EXTRA-SEGMENTS
           END-IF
           IF WS-EXTRA-SEGMENTS > 0
               PERFORM FIND-SEGMENT-DIGIT
           END-IF.

      *> The segment digit is the character after the first ".bi".
       FIND-SEGMENT-DIGIT.
           MOVE 0 TO WS-DIGIT-POSITION
           PERFORM VARYING WS-SCAN FROM 1 BY 1
                   UNTIL WS-SCAN > 253 OR WS-DIGIT-POSITION > 0
               IF WS-BASE-NAME(WS-SCAN:3) = ".bi"
                   COMPUTE WS-DIGIT-POSITION = WS-SCAN + 3
               END-IF
           END-PERFORM
           IF WS-DIGIT-POSITION = 0
               DISPLAY "dunaxrm: " FUNCTION TRIM(WS-BASE-NAME)
                   " has no .bi to number further segments"
                   UPON SYSERR
               MOVE 4 TO RETURN-CODE
               STOP RUN
           END-IF.

       COPY-SEGMENT.
           MOVE WS-BASE-NAME TO WS-INPUT-NAME
           IF WS-SEGMENT > 0
               MOVE WS-SEGMENT TO WS-SEGMENT-DIGIT
               MOVE WS-SEGMENT-DIGIT
                   TO WS-INPUT-NAME(WS-DIGIT-POSITION:1)
           END-IF
           OPEN INPUT TRANSFER-IN
           IF WS-INPUT-STATUS NOT = "00"
               MOVE "open for input" TO WS-OPERATION
               PERFORM FAIL-ON-INPUT
           END-IF
           MOVE "N" TO WS-END-OF-SEGMENT
           PERFORM COPY-ONE-RECORD UNTIL SEGMENT-ENDED
           CLOSE TRANSFER-IN
           IF WS-INPUT-STATUS NOT = "00"
               MOVE "close" TO WS-OPERATION
               PERFORM FAIL-ON-INPUT
           END-IF.

       COPY-ONE-RECORD.
           READ TRANSFER-IN
           END-READ
           EVALUATE WS-INPUT-STATUS
               WHEN "00"
                   WRITE TRANSFER-OUT-RECORD FROM TRANSFER-IN-RECORD
                   END-WRITE
                   IF WS-OUTPUT-STATUS NOT = "00"
                       MOVE "write" TO WS-OPERATION
                       PERFORM FAIL-ON-OUTPUT
                   END-IF
                   ADD 1 TO WS-RECORDS
               WHEN "10"
                   SET SEGMENT-ENDED TO TRUE
               WHEN OTHER
                   MOVE "read" TO WS-OPERATION
                   PERFORM FAIL-ON-INPUT
           END-EVALUATE.

       FAIL-ON-INPUT.
           MOVE WS-INPUT-NAME TO WS-FAILED-NAME
           MOVE WS-INPUT-STATUS TO WS-FAILED-STATUS
           PERFORM FAIL-ON-FILE.

       FAIL-ON-OUTPUT.
           MOVE WS-OUTPUT-NAME TO WS-FAILED-NAME
           MOVE WS-OUTPUT-STATUS TO WS-FAILED-STATUS
           PERFORM FAIL-ON-FILE.

       FAIL-ON-FILE.
           DISPLAY "dunaxrm: FILE STATUS " WS-FAILED-STATUS " at "
               FUNCTION TRIM(WS-OPERATION) " of "
               FUNCTION TRIM(WS-FAILED-NAME) UPON SYSERR
           CLOSE TRANSFER-IN
           CLOSE TRANSFER-OUT
           MOVE 8 TO RETURN-CODE
           STOP RUN.

       SHOW-HELP.
           DISPLAY "Usage: dunaxrm INPUT OUTPUT [EXTRA-SEGMENTS]"
           DISPLAY " "
           DISPLAY "Plays the RM/COBOL side of a conversion: copies the"
               " transfer file INPUT"
           DISPLAY "(fixed 1024-byte records, no header) and its"
               " EXTRA-SEGMENTS further segments"
           DISPLAY "(0 to 9; segment n is INPUT with the character"
               " after its first '.bi'"
           DISPLAY "replaced by n, e.g. clientes.dat.bi1) into the new"
               " transfer file OUTPUT."
           DISPLAY " "
           DISPLAY "Exit codes: 0 all records copied (their count on"
               " standard output);"
           DISPLAY "4 bad command line; 8 a FILE STATUS other than 00"
               " (or 10 at the end of a"
           DISPLAY "segment), told on standard error with the operation"
               " and the file name."
           MOVE 0 TO RETURN-CODE
           STOP RUN.

       FAIL-USAGE.
           DISPLAY "usage: dunaxrm INPUT OUTPUT [EXTRA-SEGMENTS 0-9]"
               UPON SYSERR
           DISPLAY "Try 'dunaxrm --help'." UPON SYSERR
           MOVE 4 TO RETURN-CODE
           STOP RUN.
