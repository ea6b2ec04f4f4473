      *> gencopy - the program a user would otherwise write for what
      *> DUNAXMF does through the program dunaxgen makes from
      *> gencopy.cpy: copies the indexed data file into a transfer file
      *> ("B", in primary key order) or a transfer file into a new
      *> indexed data file ("X"). The benchmark measures the converter
      *> and the generated program against it.
      *>
      *> Usage: gencopy B DATA-FILE TRANSFER-FILE
      *>        gencopy X TRANSFER-FILE DATA-FILE
      *> Exit code: 0 all records copied; 8 a FILE STATUS other than
      *> "00" (or "10" at the end).
       IDENTIFICATION DIVISION.
       PROGRAM-ID. gencopy.

       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT CONTAS ASSIGN TO WS-DATA-NAME
               ORGANIZATION IS INDEXED
               ACCESS MODE IS DYNAMIC
               RECORD KEY IS CONTA-NUMERO
               ALTERNATE RECORD KEY IS CONTA-NOME WITH DUPLICATES
               FILE STATUS IS WS-DATA-STATUS.
           SELECT TRANSFER-FILE ASSIGN TO WS-TRANSFER-NAME
               ORGANIZATION IS SEQUENTIAL
               ACCESS MODE IS SEQUENTIAL
               FILE STATUS IS WS-TRANSFER-STATUS.

       DATA DIVISION.
       FILE SECTION.
       FD  CONTAS.
       01  CONTA-REGISTO.
           05  CONTA-NUMERO          PIC 9(10).
           05  CONTA-NOME            PIC X(20).
           05  CONTA-SALDO           PIC S9(13)V99 COMP-3.
           05  CONTA-RESTO           PIC X(162).
       FD  TRANSFER-FILE
           RECORD CONTAINS 1024 CHARACTERS.
       01  TRANSFER-RECORD           PIC X(1024).

       WORKING-STORAGE SECTION.
       01  WS-DIRECTION              PIC X      VALUE SPACE.
       01  WS-DATA-NAME              PIC X(256) VALUE SPACES.
       01  WS-TRANSFER-NAME          PIC X(256) VALUE SPACES.
       01  WS-DATA-STATUS            PIC XX     VALUE "00".
       01  WS-TRANSFER-STATUS        PIC XX     VALUE "00".
      *> How the copy ended: "10" when every record was copied.
       01  WS-END-STATUS             PIC XX     VALUE SPACES.

       PROCEDURE DIVISION.
       MAIN-PARAGRAPH.
           ACCEPT WS-DIRECTION FROM ARGUMENT-VALUE
           IF WS-DIRECTION = "B"
               ACCEPT WS-DATA-NAME FROM ARGUMENT-VALUE
               ACCEPT WS-TRANSFER-NAME FROM ARGUMENT-VALUE
               PERFORM COPY-OUT
           ELSE
               ACCEPT WS-TRANSFER-NAME FROM ARGUMENT-VALUE
               ACCEPT WS-DATA-NAME FROM ARGUMENT-VALUE
               PERFORM COPY-IN
           END-IF
           IF WS-END-STATUS NOT = "10"
               DISPLAY "gencopy: " WS-END-STATUS " " WS-DATA-STATUS " "
                   WS-TRANSFER-STATUS UPON SYSERR
               MOVE 8 TO RETURN-CODE
           ELSE
               MOVE 0 TO RETURN-CODE
           END-IF
           STOP RUN.

       COPY-OUT.
           OPEN INPUT CONTAS
           OPEN OUTPUT TRANSFER-FILE
           PERFORM UNTIL WS-DATA-STATUS NOT = "00"
                      OR WS-TRANSFER-STATUS NOT = "00"
               READ CONTAS NEXT RECORD
               END-READ
               IF WS-DATA-STATUS = "00"
                   WRITE TRANSFER-RECORD FROM CONTA-REGISTO
                   END-WRITE
               END-IF
           END-PERFORM
           IF WS-TRANSFER-STATUS = "00"
               MOVE WS-DATA-STATUS TO WS-END-STATUS
           END-IF
           CLOSE CONTAS TRANSFER-FILE.

       COPY-IN.
           OPEN INPUT TRANSFER-FILE
           OPEN OUTPUT CONTAS
           PERFORM UNTIL WS-DATA-STATUS NOT = "00"
                      OR WS-TRANSFER-STATUS NOT = "00"
               READ TRANSFER-FILE
               END-READ
               IF WS-TRANSFER-STATUS = "00"
                   WRITE CONTA-REGISTO FROM TRANSFER-RECORD
                   END-WRITE
      *>           "02": the alternate key is another record's too.
                   IF WS-DATA-STATUS = "02"
                       MOVE "00" TO WS-DATA-STATUS
                   END-IF
               END-IF
           END-PERFORM
           IF WS-DATA-STATUS = "00"
               MOVE WS-TRANSFER-STATUS TO WS-END-STATUS
           END-IF
           CLOSE CONTAS TRANSFER-FILE.
