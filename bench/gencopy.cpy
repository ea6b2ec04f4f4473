      *> The data file of the dunaxgen benchmark: indexed, 200-byte
      *> records, a primary key and an alternate key with duplicates.
           SELECT CONTAS ASSIGN TO "contas.dat"
               ORGANIZATION IS INDEXED
               ACCESS MODE IS DYNAMIC
               RECORD KEY IS CONTA-NUMERO
               ALTERNATE RECORD KEY IS CONTA-NOME WITH DUPLICATES
               FILE STATUS IS WS-ESTADO.
       FD  CONTAS.
       01  CONTA-REGISTO.
           05  CONTA-NUMERO          PIC 9(10).
           05  CONTA-NOME            PIC X(20).
           05  CONTA-SALDO           PIC S9(13)V99 COMP-3.
           05  CONTA-RESTO           PIC X(162).
