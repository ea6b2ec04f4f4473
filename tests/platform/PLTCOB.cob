      * A tiny COBOL program for the loader's tests: upper-cases its
      * ten-character argument and counts its calls in the last two.
       IDENTIFICATION DIVISION.
       PROGRAM-ID. PLTCOB.
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01 CALLS PIC 99 VALUE 0.
       LINKAGE SECTION.
       01 AREA-IN PIC X(10).
       PROCEDURE DIVISION USING AREA-IN.
           ADD 1 TO CALLS
           MOVE FUNCTION UPPER-CASE(AREA-IN(1:8)) TO AREA-IN(1:8)
           MOVE CALLS TO AREA-IN(9:2)
           GOBACK.
