#pragma once

namespace lumo {

// Keys of the MESSAGE section of the texts table, named for what they say, so that a reader of
// `texts.message(Msg::CommunicationError)` need not look up what message 35 is. The Czech
// defaults are in BuiltInTexts.cpp.
namespace Msg {
inline constexpr int StornoButton = 31;       // "Storno"
inline constexpr int ReadFromUnit = 32;       // "Načíst z vrátného"
inline constexpr int SwitchMode = 33;         // "Přepnout režim"
inline constexpr int ClearCounter = 34;       // "Vymazat počítadlo"
inline constexpr int CommunicationError = 35; // "Chyba komunikace"
inline constexpr int MemoryContentWrong = 36; // "Obsah paměti není správný"
inline constexpr int ActionChoiceTitle = 37;  // "Výběr akce "
inline constexpr int ReadBeforeWriting = 38;  // "Před zápisem dat do vrátného ..."
inline constexpr int WrongPort = 39;          // "Chybné číslo portu, prosím nastavte správné"
inline constexpr int UnfittedCountIs = 40;    // "Počet neosazených tlačítek je:"
inline constexpr int ChangeTo = 41;           // "změnit na:"
inline constexpr int UnitModeIs = 42;         // "Ve vrátném je režim:"
inline constexpr int KeepOrOverwriteCounter = 43; // "Počet zapnutí zachovat nebo přepsat?"
inline constexpr int ConfirmToContinue = 44;      // "Potvrďte pro pokračování zápisu"
inline constexpr int DayMode = 45;                // "DEN"
inline constexpr int NightMode = 46;              // "NOC"
inline constexpr int WarningTitle = 52;           // "Upozornění"
inline constexpr int NumberWriteRefused = 55; // "Zápis paměti čísel byl ukončen chybou u bloku"
inline constexpr int DeviceLost =
    500; // "Spojení s vrátným bylo přerušeno: zařízení se odpojilo ..."
// Status-bar notes of what was done; "%1" is the time of day.
inline constexpr int NoteReadAll = 380;
inline constexpr int NoteReadSettings = 381;
inline constexpr int NoteReadNumbers = 382;
inline constexpr int NoteWriteAll = 383;
inline constexpr int NoteWriteSettings = 384;
inline constexpr int NoteWriteNumbers = 385;
inline constexpr int NoteFileLoaded = 386;
inline constexpr int NoteFileSaved = 387;
// After a local read that failed or was stopped: what the window now holds.
inline constexpr int ReadStopped = 390;          // "Načítání bylo zastaveno."
inline constexpr int ReadIncomplete = 391;       // "Načítání nebylo dokončeno."
inline constexpr int ReadSettingsComplete = 392; // "Nastavení: načteno celé."
inline constexpr int ReadSettingsMissing = 393;  // "Nastavení: nenačteno, ..."
inline constexpr int ReadMemoriesComplete = 394; // "Paměti čísel: načteny všechny."
inline constexpr int ReadMemoriesPartly = 395;   // "Paměti čísel: 1 až %1 načteny, ..."
inline constexpr int ReadMemoriesMissing = 396;  // "Paměti čísel: nenačteny, ..."
// The transfer window's phase line.
inline constexpr int PhaseStatus = 397;             // "Stav vrátného"
inline constexpr int PhaseSettings = 398;           // "Nastavení"
inline constexpr int PhaseMemory = 399;             // "Paměť %1 ze 128"
inline constexpr int PhaseStopping = 423;           // "Zastavuji po probíhající výměně…"
inline constexpr int PhaseStopHint = 424;           // "Esc zastaví"
inline constexpr int CompareTitle = 400;            // "Porovnání"
inline constexpr int CompareNotAvailable = 401;     // "Tento parametr firmware vrátného nemá"
inline constexpr int CompareCharacterRefused = 402; // "Znak "%1" do tohoto pole nelze zapsat"
inline constexpr int CompareTooLong = 403;          // "Pole pojme nejvýše %1 znaků"
inline constexpr int CompareDisplayOnly = 404; // "Tento údaj se mění jen čtením z vrátného"
inline constexpr int CompareCorrected = 405;   // "Pravidlo pole hodnotu upravilo na "%1""
inline constexpr int CompareFilter = 406;      // "Filtr:"
inline constexpr int ComparePageColumn = 407;  // "Stránka"
inline constexpr int CompareCaptionColumn = 408; // "Parametr"
inline constexpr int CompareWindowColumn = 409;  // "V okně"
inline constexpr int CompareOtherColumn = 410;   // "Porovnávaná hodnota"
inline constexpr int CompareNoteColumn = 411;    // "Poznámka"
inline constexpr int CompareNoDifferences = 412; // "Žádné rozdíly"
inline constexpr int CompareTake = 413;          // "Převzít"
inline constexpr int CompareClose = 414;         // "Zavřít"
inline constexpr int CompareCount = 415;         // "Rozdílů: %1"
inline constexpr int CompareNoValue = 416;       // "Porovnávaná sada tento parametr nemá"
inline constexpr int CompareNotInList = 417;     // "Hodnota "%1" není v seznamu"
inline constexpr int CompareNotConfirmed = 418;  // "Změna nebyla potvrzena"
inline constexpr int CompareUnitColumn = 419;    // "Ve vrátném"
inline constexpr int CompareFileColumn = 420;    // "V souboru"
inline constexpr int MarkedEdits = 421;          // "Upraveno: %1"
inline constexpr int CompareFileTitle = 422;     // "Porovnat se souborem"
// Write and verify.
inline constexpr int WriteVerified = 440;    // "Zápis ověřen"
inline constexpr int WriteNotVerified = 441; // "Zápis neověřen: vrátný drží jiné hodnoty, ..."
inline constexpr int ReadBackColumn = 442;    // "Přečteno zpět"
inline constexpr int ReadBackFailed = 443;    // "Zápis nelze ověřit: zapsané údaje se ..."
inline constexpr int VerifyDifferences = 444; // "Zápis neověřen, liší se parametrů: %1"
// Remote read: its progress, the time left and the report file.
inline constexpr int RemoteReadSettingsProgress = 470; // "Nastavení: blok %1 z %2, celkem ..."
inline constexpr int RemoteReadMemoriesProgress = 471; // "Paměti tlačítek: %1 z %2, celkem ..."
inline constexpr int RemoteTimeLeft = 472;             // "Zbývá nejméně %1"
inline constexpr int ReadReportNotCreated = 473;       // "Soubor protokolu \"%1\" nelze ..."
inline constexpr int RemoteReportName = 474;           // "Protokol: %1"
// A line box that went away under the connection, a remote read or a remote write.
inline constexpr int BoxLost = 475;             // "Zařízení Telvox %1 bylo odpojeno, ..."
inline constexpr int RemoteReadLostKept = 476;  // "Načtení bylo přerušeno. Parametry ..."
inline constexpr int RemoteReadLostTaken = 477; // "Načtení bylo přerušeno. Převzaty ..."
inline constexpr int RemoteWriteLost = 478;     // "Zápis byl přerušen. Vexo potvrdilo: %1."
inline constexpr int ConnectionLost = 479;      // "Spojení s Vexo ztraceno"
// Backups of reads and the questions before a write.
inline constexpr int BackupNotSaved = 490;          // "Zálohu \"%1\" nelze uložit: %2"
inline constexpr int BackupIncomplete = 491;        // "Čtení nebylo úplné, záloha: %1"
inline constexpr int WriteWithoutSource = 492;      // "V okně nejsou hodnoty načtené ..."
inline constexpr int BackupBeforeWriteFailed = 493; // "Obsah vrátného se nepodařilo ..."
inline constexpr int BackupFolderFailed = 494;      // "Složku záloh \"%1\" nelze ..."
inline constexpr int BackupSaved = 495;             // "Záloha: %1"
inline constexpr int BackupNothingWritten = 496;    // "..., nic nebylo zapsáno"
} // namespace Msg

} // namespace lumo
