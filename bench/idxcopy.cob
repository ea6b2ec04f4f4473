      *> idxcopy - the program a user would otherwise write for what
      *> DUNAXMF "B" with RECIDX does: reads an indexed data file in key
      *> order and writes each record into a transfer file itself. The
      *> benchmark measures the converter against it.
      *>
      *> Usage: idxcopy INDEXED-FILE TRANSFER-FILE
      *>   INDEXED-FILE   fixed 1024-byte records, key in the first 16
      *>                  bytes (the layout RECIDX serves)
      *>   TRANSFER-FILE  written anew: 1024-byte records back to back
      *>
      *> Exit code: 0 all records copied (their count on standard
      *> output); 8 a FILE STATUS other than "00" (or "10" at the end).
       IDENTIFICATION DIVISION.
       PROGRAM-ID. idxcopy.

       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT DATA-FILE ASSIGN TO WS-DATA-NAME
               ORGANIZATION IS INDEXED
               ACCESS MODE IS SEQUENTIAL
               RECORD KEY IS DATA-KEY
               FILE STATUS IS WS-DATA-STATUS.
           SELECT TRANSFER-FILE ASSIGN TO WS-TRANSFER-NAME
               ORGANIZATION IS SEQUENTIAL
               ACCESS MODE IS SEQUENTIAL
               FILE STATUS IS WS-TRANSFER-STATUS.

       DATA DIVISION.
       FILE SECTION.
       FD  DATA-FILE.
       01  DATA-RECORD.
           05  DATA-KEY              PIC X(16).
           05  DATA-REST             PIC X(1008).
       FD  TRANSFER-FILE
           RECORD CONTAINS 1024 CHARACTERS.
       01  TRANSFER-RECORD           PIC X(1024).

       WORKING-STORAGE SECTION.
       01  WS-DATA-NAME              PIC X(256) VALUE SPACES.
       01  WS-TRANSFER-NAME          PIC X(256) VALUE SPACES.
       01  WS-DATA-STATUS            PIC XX     VALUE "00".
       01  WS-TRANSFER-STATUS        PIC XX     VALUE "00".
       01  WS-END-STATUS             PIC XX     VALUE SPACES.
       01  WS-RECORDS                PIC 9(15)  VALUE 0.
       01  WS-RECORDS-SHOWN          PIC Z(14)9.

       PROCEDURE DIVISION.
       MAIN-PARAGRAPH.
           ACCEPT WS-DATA-NAME FROM ARGUMENT-VALUE
           ACCEPT WS-TRANSFER-NAME FROM ARGUMENT-VALUE
           OPEN INPUT DATA-FILE
           OPEN OUTPUT TRANSFER-FILE
           IF WS-DATA-STATUS NOT = "00"
              OR WS-TRANSFER-STATUS NOT = "00"
               DISPLAY "idxcopy: open " WS-DATA-STATUS " "
                   WS-TRANSFER-STATUS UPON SYSERR
               MOVE 8 TO RETURN-CODE
               STOP RUN
           END-IF
           PERFORM UNTIL WS-DATA-STATUS NOT = "00"
               READ DATA-FILE NEXT RECORD
               END-READ
               IF WS-DATA-STATUS = "00"
                   WRITE TRANSFER-RECORD FROM DATA-RECORD
                   END-WRITE
                   IF WS-TRANSFER-STATUS NOT = "00"
                       MOVE "99" TO WS-DATA-STATUS
                   END-IF
                   ADD 1 TO WS-RECORDS
               END-IF
           END-PERFORM
           MOVE WS-DATA-STATUS TO WS-END-STATUS
           CLOSE DATA-FILE
           CLOSE TRANSFER-FILE
           IF WS-END-STATUS NOT = "10"
               DISPLAY "idxcopy: read or write " WS-END-STATUS " "
                   WS-TRANSFER-STATUS UPON SYSERR
               MOVE 8 TO RETURN-CODE
               STOP RUN
           END-IF
           MOVE WS-RECORDS TO WS-RECORDS-SHOWN
           DISPLAY "idxcopy: " FUNCTION TRIM(WS-RECORDS-SHOWN)
               " records copied"
           MOVE 0 TO RETURN-CODE
           STOP RUN.
