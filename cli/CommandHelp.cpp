// The full help of every command, kept in one place so that the texts read as one manual.
#include "cli/CommandTable.h"
#include <QHash>

namespace lumo::cli {

namespace {

const QString kPorts =
    QStringLiteral("PORT (--port) is one of:\n"
                   "  3, COM3        COM port 3, the device Config.ini [Ports] COM3= names\n"
                   "                 (default /dev/ttyS2)\n"
                   "  /dev/ttyUSB0   a device path, a pseudo-terminal included\n"
                   "  usb            the FTDI USB cable\n");

const QString kFiles =
    QStringLiteral("Parameter sets are settings files (.KTF, code page 1250) or JSON (.json).\n");

const QHash<QString, QString>& helpTable() {
    static const QHash<QString, QString> table = {
        {QStringLiteral("new"),
         QStringLiteral("Writes the default parameter set to OUT.\n\n") + kFiles},
        {QStringLiteral("convert"),
         QStringLiteral(
             "Reads the parameter set IN and writes it to OUT; the format follows each file's\n"
             "extension. A settings file (.KTF) is what a unit gets, so before one is written\n"
             "the set is checked as a write to the unit checks it; an invalid set is refused.\n\n"
             "  --force   write the settings file anyway, with a warning naming the values\n\n") +
             kFiles},
        {QStringLiteral("show"),
         QStringLiteral(
             "Lists the parameter set IN by page and caption in the active language, the way\n"
             "the main window shows it.\n\n"
             "  --names   one line per control instead: NAME=VALUE in control-name order\n\n") +
             kFiles},
        {QStringLiteral("image"),
         QStringLiteral(
             "encode IN    prints the 128-byte settings image of IN as 256 hexadecimal digits\n"
             "  --firmware VERSION   as for a unit with that firmware (such as 1.7)\n"
             "  --numbers            then the 128 number-memory images, one a line\n"
             "decode HEX OUT   decodes a settings image into the parameter set OUT\n"
             "  --base IN            start from IN (the number memories are not in the image)\n"
             "  An image that fails its marker check is refused and nothing is written.\n\n") +
             kFiles},
        {QStringLiteral("ports"),
         QStringLiteral("Lists COM1..COM16 with the device each stands for (Config.ini [Ports])\n"
                        "and whether it is free, missing or in use.\n")},
        {QStringLiteral("usb"),
         QStringLiteral(
             "Lists the FTDI devices: index, serial number, description, tab-separated; says\n"
             "so on standard error when none is found. LUMO_FTDI=virtual (or virtual:PATH)\n"
             "lists the virtual devices instead.\n")},
        {QStringLiteral("diff"),
         QStringLiteral(
             "Lists the parameters in which A and B differ, by page and caption, with A's\n"
             "value and B's. Each of A and B is a parameter set or unit:PORT, the whole\n"
             "memory of the unit on PORT read as read all reads it (unit:3, unit:usb, ...).\n"
             "A read that fails or ends part way is an error: nothing is compared.\n\n"
             "  --json            the differences as a JSON document\n"
             "  --lang PACK.lng   the captions in the language of a pack\n\n"
             "The exit status is that of diff(1): 0 identical, 1 different, 2 trouble.\n"
             "Progress of a read goes to standard error when it is a terminal.\n\n") +
             kPorts + QStringLiteral("\n") + kFiles},
        {QStringLiteral("status"),
         QStringLiteral("Reads the unit's status: firmware, mode, unfitted buttons, counter.\n\n") +
             kPorts},
        {QStringLiteral("read"),
         QStringLiteral(
             "Reads all, the settings or the number memories from the unit and writes OUT.\n"
             "OUT is checked to be writable before the read starts.\n\n"
             "  --base IN   start from the set IN: what is not read keeps its values\n\n"
             "Progress goes to standard error when it is a terminal; one line on success.\n\n") +
             kPorts + QStringLiteral("\n") + kFiles},
        {QStringLiteral("write"),
         QStringLiteral(
             "Writes all, the settings or the number memories of the set IN to the unit.\n"
             "The set is checked first. When the unit's status differs from the file, the\n"
             "write stops before its first byte unless an option decides:\n\n"
             "  --mode DEN|NOC         the DAY/NIGHT mode to set on the unit\n"
             "  --counter keep|set     keep the unit's power-on counter, or set the file's\n"
             "  --unfitted keep|set    keep the unit's number of unfitted buttons, or set\n"
             "                         the file's\n"
             "  --backup DIR           first read the unit's whole memory and save it in DIR\n"
             "                         as a settings file named by date and time; nothing is\n"
             "                         written when that fails\n\n"
             "Progress goes to standard error when it is a terminal; one line on success.\n\n") +
             kPorts + QStringLiteral("\n") + kFiles},
        {QStringLiteral("boxes"),
         QStringLiteral("Lists the attached line boxes: slot, serial number; says so on standard\n"
                        "error when none is found.\n")},
        {QStringLiteral("remote"),
         QStringLiteral(
             "connect: dials the unit through the line box with serial number SERIAL and\n"
             "prints every exchange of the connect sequence, then \"Connected\".\n\n"
             "  --box SERIAL     the line box (see lumo-cli boxes)\n"
             "  --number N       the telephone number: digits, *, #, P, R, f (H for *, K for #)\n"
             "  --password P     the unit's four-digit password\n"
             "  --hold SECONDS   keep the connection that long, then hang up (default 0)\n"
             "  --connect-timeout SECONDS   give up a connection not made within SECONDS\n"
             "                   (default 120): a wrong password or number keeps the unit\n"
             "                   silent; the line is hung up and the exit status is 1\n\n"
             "read: connects as above, waits for the quiet period between two keep-alive\n"
             "cycles and reads from the unit into OUT (KTF or JSON by its extension).\n\n"
             "  --settings       the settings too (blocks 7 and 0..4); without it block 7 only\n"
             "  --day LIST       DAY buttons to read, like 1-4,9,64 (1..64)\n"
             "  --night LIST     NIGHT buttons to read, likewise\n"
             "  --base IN        the set the received blocks are overlaid on (default: new)\n"
             "  --log            write the report file LF-R-... .TXT and print its name\n\n"
             "write: connects and writes the set IN to the unit, group after group.\n\n"
             "  --basic --time --switch --memories   the groups to write (default: all four)\n"
             "  --changed-since UNIT.KTF   only the memories whose number differs from that\n"
             "                             file (what the unit holds now)\n"
             "  --from-entry K   resume the memory group at its entry K (1-based)\n"
             "  --log            write the report file LF-W-... .TXT and print its name\n\n"
             "read and write take --connect-timeout as connect does.\n\n"
             "Progress (entry n of m, time left) goes to standard error. A full memory group\n"
             "takes at least 15 minutes: the unit needs 7.1 s between two memories.\n\n"
             "Ctrl-C (SIGINT) or SIGTERM ends the call as the dialog's Storno would and hangs\n"
             "up: a read stops and saves nothing; a write stops after the entry in flight is\n"
             "acknowledged (a second Ctrl-C stops it at once) and says which entry comes\n"
             "next for --from-entry. The exit status is then 130 (SIGINT) or 143 (SIGTERM).\n")},
        {QStringLiteral("lang"),
         QStringLiteral("check PACK.lng   compares a language pack with the built-in texts:\n"
                        "                 missing, empty, unknown and too long keys\n"
                        "export OUT.lng   writes the built-in Czech texts as a pack\n")},
        {QStringLiteral("print"),
         QStringLiteral("settings IN   the settings printout of a parameter set, as a PDF\n"
                        "labels IN.KTL the name labels of a label file, as a PDF\n\n"
                        "  --pdf OUT              the PDF file to write\n"
                        "  --page A4|A5|Letter    the page size (default A4)\n"
                        "  --lang PACK.lng        settings only: the texts of a language pack\n")},
    };
    return table;
}

} // namespace

QString commandHelp(const QString& name) {
    return helpTable().value(name);
}

} // namespace lumo::cli
