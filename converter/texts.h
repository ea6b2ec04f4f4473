// Every text the converter shows, in Windows-1252 as the records carry it ("\xE3" is "ã").
#pragma once

namespace dunax::converter::texts {

// The window title and the phase, by direction.
inline constexpr char kTitleToRm[] = "Em Convers\xE3o de MfCobol para RmCobol ...";
inline constexpr char kTitleToMf[] = "Em Convers\xE3o de RmCobol para MfCobol ...";
inline constexpr char kPhaseToRm[] = "1 de 2    ";
inline constexpr char kPhaseToMf[] = "2 de 2    ";
inline constexpr char kSearching[] = "Em Pesquisa ...";

// A record-access program that cannot be found (line 3; line 1 names the program).
inline constexpr char kNotInstalled[] = "     N\xC3O SE ENCONTRA INSTALADO !!!";

// File error dialog.
inline constexpr char kFileLabel[] = "Ficheiro:";
inline constexpr char kErrorWord[] = "ERRO ";
inline constexpr char kIgnoreFile[] = "  Ignora este Ficheiro?   ";

// Count-mismatch dialog.
inline constexpr char kCountsLine2[] = " Numero Registos Escritos ";
inline constexpr char kCountsLine3[] = "  Diferente dos Gravados  ";
inline constexpr char kAbortConversion[] = "  Aborta a Convers\xE3o? ";

// The question after the window was closed.
inline constexpr char kCloseLine1[] = "  Detetado Fecho da Janela!!! ";
inline constexpr char kCloseLine2[] = "  Interrompe a Convers\xE3o? ";
inline constexpr char kCloseLine3[] = "  (Se responder \"Sim\" pode retomar";
inline constexpr char kCloseLine4[] = "   a Convers\xE3o neste Ponto).      ";

// The time text.
inline constexpr char kDays[] = " Dias ";
inline constexpr char kHours[] = " Horas ";
inline constexpr char kMinutes[] = " Minutos ";
inline constexpr char kSecondsWord[] = " Segundos";
inline constexpr char kLessThan30Seconds[] = "Menos de 30 Segundos";

}  // namespace dunax::converter::texts
