<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AboutText</name>
    <message>
        <source>comments.txt</source>
        <comment>the file of the About window&apos;s text in this language</comment>
        <translation>comments_de.txt</translation>
    </message>
</context>
<context>
    <name>AboutWindow</name>
    <message>
        <source>Sam Ortega, Jo Lindqvist, Kit Adebayo and thanks to all others!</source>
        <translation>Sam Ortega, Jo Lindqvist, Kit Adebayo und Dank an alle anderen!</translation>
    </message>
    <message>
        <source>About...</source>
        <translation>Über...</translation>
    </message>
    <message>
        <source>About Numira:</source>
        <translation>Über Numira:</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>Version:</translation>
    </message>
    <message>
        <source>Programmer:</source>
        <translation>Programmierer:</translation>
    </message>
    <message>
        <source>E-mail the programmer!</source>
        <translation>Dem Programmierer schreiben!</translation>
    </message>
    <message>
        <source>Graphics Artist and Site Designer:</source>
        <translation>Grafik und Website-Gestaltung:</translation>
    </message>
    <message>
        <source>E-mail the graphics artist!</source>
        <translation>Dem Grafiker schreiben!</translation>
    </message>
    <message>
        <source>Website:</source>
        <translation>Website:</translation>
    </message>
    <message>
        <source>Visit the website!</source>
        <translation>Die Website besuchen!</translation>
    </message>
    <message>
        <source>Beta Testers:</source>
        <translation>Betatester:</translation>
    </message>
    <message>
        <source>Options:</source>
        <translation>Optionen:</translation>
    </message>
    <message>
        <source>Use Quick Add Shortcut in the Web Browser</source>
        <translation>Schnelles Hinzufügen im Webbrowser verwenden</translation>
    </message>
    <message>
        <source>Leave Checked to enable Quick Add Capability!</source>
        <translation>Angehakt lassen, um schnelles Hinzufügen zu erlauben!</translation>
    </message>
    <message>
        <source>The quick add was not changed!  %1</source>
        <translation>Das schnelle Hinzufügen wurde nicht geändert!  %1</translation>
    </message>
</context>
<context>
    <name>AddCommand</name>
    <message>
        <source>Stores a record dated now and prints its id. A record needs a program and a serial; the version and the name may be empty. The program name is one line and holds a visible character. A program named apart from letter case as a stored one goes under the stored one. --serial - reads the serial from standard input (one line end at its end is dropped). A serial already stored for the program (letter case, blanks and dashes aside) is refused unless --allow-duplicate.</source>
        <translation>Speichert einen Datensatz mit dem Datum von jetzt und gibt seine ID aus. Ein Datensatz braucht ein Programm und eine Seriennummer; Version und Name dürfen leer sein. Der Programmname ist eine Zeile und enthält ein sichtbares Zeichen. Ein Programm, das sich von einem gespeicherten nur in der Groß- und Kleinschreibung unterscheidet, kommt unter das gespeicherte. --serial - liest die Seriennummer von der Standardeingabe (ein Zeilenende an ihrem Ende fällt weg). Eine für das Programm schon gespeicherte Seriennummer (abgesehen von Groß- und Kleinschreibung, Leerzeichen und Bindestrichen) wird abgelehnt, außer mit --allow-duplicate.</translation>
    </message>
    <message>
        <source>add needs %1</source>
        <translation>add braucht %1</translation>
    </message>
</context>
<context>
    <name>AddScreen</name>
    <message>
        <source>New Program</source>
        <translation>Neues Programm</translation>
    </message>
    <message>
        <source>Program:</source>
        <translation>Programm:</translation>
    </message>
    <message>
        <source> (New Program if not listed)</source>
        <translation> (Neu, wenn nicht gelistet)</translation>
    </message>
    <message>
        <source>New Program Name:</source>
        <translation>Name des neuen Programms:</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>Version:</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Serial:</source>
        <translation>Seriennummer:</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>The program list could not be read!</source>
        <translation>Die Programmliste konnte nicht gelesen werden!</translation>
    </message>
    <message>
        <source>Error!</source>
        <translation>Fehler!</translation>
    </message>
    <message>
        <source>The serial was not added!</source>
        <translation>Die Seriennummer wurde nicht hinzugefügt!</translation>
    </message>
    <message>
        <source>Serial Successfully Added!</source>
        <translation>Seriennummer erfolgreich hinzugefügt!</translation>
    </message>
    <message>
        <source>  It was stored under the existing program &quot;%1&quot;.</source>
        <translation>  Sie wurde unter dem vorhandenen Programm „%1“ gespeichert.</translation>
    </message>
    <message>
        <source>Success!</source>
        <translation>Erfolg!</translation>
    </message>
    <message>
        <source>&amp;Details...</source>
        <translation>&amp;Details...</translation>
    </message>
    <message>
        <source>The details were not saved!</source>
        <translation>Die Details wurden nicht gespeichert!</translation>
    </message>
    <message>
        <source>The record no longer exists.</source>
        <translation>Den Eintrag gibt es nicht mehr.</translation>
    </message>
</context>
<context>
    <name>Backup</name>
    <message>
        <source>Writing the copy failed: %1</source>
        <translation>Das Schreiben der Kopie ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>The copy does not read back whole: %1</source>
        <translation>Die Kopie lässt sich nicht vollständig zurücklesen: %1</translation>
    </message>
    <message>
        <source>There is no database file at &quot;%1&quot;.</source>
        <translation>Unter „%1“ gibt es keine Datenbankdatei.</translation>
    </message>
    <message>
        <source>A folder of that name is in the way.</source>
        <translation>Ein Ordner dieses Namens ist im Weg.</translation>
    </message>
    <message>
        <source>No file can be written in &quot;%1&quot;: %2</source>
        <translation>In „%1“ kann keine Datei geschrieben werden: %2</translation>
    </message>
    <message>
        <source>The copy cannot take the database&apos;s permissions: %1</source>
        <translation>Die Kopie kann die Rechte der Datenbank nicht übernehmen: %1</translation>
    </message>
    <message>
        <source>The copy cannot be flushed to disk: %1</source>
        <translation>Die Kopie kann nicht auf den Datenträger geschrieben werden: %1</translation>
    </message>
    <message>
        <source>The copy cannot take the target&apos;s name: %1</source>
        <translation>Die Kopie kann den Namen des Ziels nicht annehmen: %1</translation>
    </message>
    <message>
        <source>The backup is written, but its folder cannot be flushed to disk: %1</source>
        <translation>Die Sicherung ist geschrieben, aber ihr Ordner kann nicht auf den Datenträger geschrieben werden: %1</translation>
    </message>
    <message>
        <source>%1 The backup&apos;s copy has the index rebuilt; the database itself is left as it is.</source>
        <translation>%1 In der Kopie der Sicherung ist der Index neu aufgebaut; die Datenbank selbst bleibt, wie sie ist.</translation>
    </message>
</context>
<context>
    <name>BoundedFile</name>
    <message>
        <source>No file is named.</source>
        <translation>Es ist keine Datei angegeben.</translation>
    </message>
</context>
<context>
    <name>BrowseScreen</name>
    <message>
        <source>Delete &amp;Program</source>
        <translation>Prog. &amp;löschen</translation>
    </message>
    <message>
        <source>&amp;Search</source>
        <translation>&amp;Suchen</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Serial</source>
        <translation>Seriennummer</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>&amp;Look Closer</source>
        <translation>&amp;Details</translation>
    </message>
    <message>
        <source>The program list could not be read!</source>
        <translation>Die Programmliste konnte nicht gelesen werden!</translation>
    </message>
    <message>
        <source>The serials of this program could not be read!</source>
        <translation>Die Seriennummern dieses Programms konnten nicht gelesen werden!</translation>
    </message>
    <message>
        <source>N/A</source>
        <translation>k. A.</translation>
    </message>
    <message>
        <source>Delete the selected Program?</source>
        <translation>Das ausgewählte Programm löschen?</translation>
    </message>
    <message>
        <source>The program was not deleted!</source>
        <translation>Das Programm wurde nicht gelöscht!</translation>
    </message>
    <message>
        <source>Program has 1 or more serials referenced to it.  Delete those serials first!</source>
        <translation>Zum Programm gehören noch Seriennummern.  Löschen Sie zuerst diese Seriennummern!</translation>
    </message>
    <message>
        <source>Program Doesn&apos;t Exist and therefore cannot be deleted!</source>
        <translation>Das Programm existiert nicht und kann daher nicht gelöscht werden!</translation>
    </message>
    <message>
        <source>Program has been deleted!</source>
        <translation>Das Programm wurde gelöscht!</translation>
    </message>
    <message>
        <source>Program:</source>
        <translation>Programm:</translation>
    </message>
    <message>
        <source>Records</source>
        <translation>Einträge</translation>
    </message>
</context>
<context>
    <name>ChangePassphraseCommand</name>
    <message>
        <source>Gives a protected database a new passphrase.</source>
        <translation>Gibt einer geschützten Datenbank eine neue Passphrase.</translation>
    </message>
</context>
<context>
    <name>CliArguments</name>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 braucht einen Wert</translation>
    </message>
</context>
<context>
    <name>CliPassphrase</name>
    <message>
        <source>The passphrase cannot be read from descriptor %1.</source>
        <translation>Die Passphrase kann nicht aus Deskriptor %1 gelesen werden.</translation>
    </message>
    <message>
        <source>The passphrase is empty.</source>
        <translation>Die Passphrase ist leer.</translation>
    </message>
    <message>
        <source>The database is protected by a passphrase, and there is no terminal to ask it on; give it with --passphrase-fd N.</source>
        <translation>Die Datenbank ist durch eine Passphrase geschützt, und es gibt kein Terminal, um sie abzufragen; geben Sie sie mit --passphrase-fd N an.</translation>
    </message>
    <message>
        <source>Again: </source>
        <translation>Noch einmal: </translation>
    </message>
    <message>
        <source>The two passphrases differ.</source>
        <translation>Die beiden Passphrasen unterscheiden sich.</translation>
    </message>
    <message numerus="yes">
        <source>The passphrase is longer than %n bytes.</source>
        <translation>
            <numerusform>Die Passphrase ist länger als %n Byte.</numerusform>
            <numerusform>Die Passphrase ist länger als %n Byte.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ClipboardGuard</name>
    <message>
        <source>%1 copied</source>
        <translation>%1 kopiert</translation>
    </message>
    <message>
        <source>%1 copied: cleared in %2 s</source>
        <translation>%1 kopiert: wird in %2 s geleert</translation>
    </message>
    <message>
        <source>Serial</source>
        <translation>Seriennummer</translation>
    </message>
</context>
<context>
    <name>Command</name>
    <message>
        <source>%1 (see %2)</source>
        <translation>%1 (siehe %2)</translation>
    </message>
    <message>
        <source>warning: %1</source>
        <translation>Warnung: %1</translation>
    </message>
    <message>
        <source>Numira has no database in use; name one with --db FILE.</source>
        <translation>Numira hat keine Datenbank in Gebrauch; nennen Sie eine mit --db DATEI.</translation>
    </message>
    <message>
        <source>%1 It was rebuilt.</source>
        <translation>%1 Er wurde neu aufgebaut.</translation>
    </message>
    <message>
        <source>removed &quot;%1&quot;, left by a passphrase change that was cut short</source>
        <translation>„%1“ entfernt, übrig von einem abgebrochenen Wechsel der Passphrase</translation>
    </message>
    <message>
        <source>--passphrase-fd takes a file descriptor number.</source>
        <translation>--passphrase-fd nimmt die Nummer eines Dateideskriptors.</translation>
    </message>
    <message>
        <source>Passphrase of %1</source>
        <translation>Passphrase von %1</translation>
    </message>
    <message>
        <source>The database is not protected by a passphrase.</source>
        <translation>Die Datenbank ist nicht durch eine Passphrase geschützt.</translation>
    </message>
    <message>
        <source>--new-passphrase-fd takes a file descriptor number.</source>
        <translation>--new-passphrase-fd nimmt die Nummer eines Dateideskriptors.</translation>
    </message>
    <message>
        <source>New passphrase</source>
        <translation>Neue Passphrase</translation>
    </message>
    <message>
        <source>--format is one of %1</source>
        <translation>--format ist eines von %1</translation>
    </message>
    <message>
        <source>No record has the id %1.</source>
        <translation>Kein Datensatz hat die ID %1.</translation>
    </message>
    <message>
        <source>This serial is already stored for %1 as record %2; --allow-duplicate adds it anyway.</source>
        <translation>Diese Seriennummer ist für %1 bereits als Datensatz %2 gespeichert; --allow-duplicate fügt sie trotzdem hinzu.</translation>
    </message>
    <message>
        <source>This serial is already stored for %1 as record %2; --allow-duplicate stores it anyway.</source>
        <translation>Diese Seriennummer ist für %1 bereits als Datensatz %2 gespeichert; --allow-duplicate speichert sie trotzdem.</translation>
    </message>
    <message>
        <source>DETAILS, each optional: --email E, --url U, --purchased DATE, --expires DATE, --seats N (a whole number of 0 or more), --order O, --notes TEXT (--notes - reads standard input), and --clear FIELD (repeated, or FIELD,FIELD) to empty email, url, purchased, expires, seats, order or notes. A DATE is YYYY-MM-DD; anything else is refused with exit status 2.</source>
        <translation>DETAILS, jeweils optional: --email E, --url U, --purchased DATE, --expires DATE, --seats N (eine ganze Zahl ab 0), --order O, --notes TEXT (--notes - liest die Standardeingabe) und --clear FIELD (mehrfach oder FIELD,FIELD), um email, url, purchased, expires, seats, order oder notes zu leeren. Ein DATE hat die Form YYYY-MM-DD; alles andere wird mit Exit-Status 2 abgelehnt.</translation>
    </message>
    <message>
        <source>--clear takes one of %1</source>
        <translation>--clear nimmt eines von %1</translation>
    </message>
    <message>
        <source>--%1 is both given and cleared</source>
        <translation>--%1 wird zugleich angegeben und geleert</translation>
    </message>
    <message>
        <source>only one of --serial and --notes can read standard input</source>
        <translation>nur eines von --serial und --notes kann die Standardeingabe lesen</translation>
    </message>
</context>
<context>
    <name>CommandDispatcher</name>
    <message>
        <source>Usage: %1 [--db DATABASE] %2

%3
</source>
        <translation>Aufruf: %1 [--db DATENBANK] %2

%3
</translation>
    </message>
    <message>
        <source>
%1 COMMAND --help describes one command.
</source>
        <translation>
%1 BEFEHL --help beschreibt einen Befehl.
</translation>
    </message>
    <message>
        <source>cannot write the output: %1</source>
        <translation>die Ausgabe kann nicht geschrieben werden: %1</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>kein Befehl angegeben</translation>
    </message>
    <message>
        <source>no command &quot;%1&quot;</source>
        <translation>kein Befehl „%1“</translation>
    </message>
    <message>
        <source>%1 takes no %2</source>
        <translation>%1 nimmt kein %2</translation>
    </message>
    <message>
        <source>wrong number of arguments; usage: %1</source>
        <translation>falsche Anzahl von Argumenten; Aufruf: %1</translation>
    </message>
    <message>
        <source>%1 takes no %2; a value that begins with - goes after --</source>
        <translation>%1 kennt kein %2; ein Wert, der mit - beginnt, steht nach --</translation>
    </message>
    <message>
        <source>Usage: %1 [--db DATABASE] COMMAND [ARGUMENTS]

Reads and changes Numira&apos;s serial numbers. --db names the database: a file, or a PostgreSQL server as postgresql://user@host:port/db or service=NAME (its password from ~/.pgpass or the service file); without it, the database Numira has in use. A protected database&apos;s passphrase is read from descriptor N with --passphrase-fd N, else taken from the keyring, else asked on the terminal.
Output is an aligned table on a terminal and TSV otherwise; --format table|tsv|csv|json chooses. A table fits the terminal&apos;s width, long values cut with an ellipsis; --wide shows them whole.
Exit status: 0 done, 1 failed, 2 wrong command line. --version prints the version.
A record may have details: e-mail, URL, purchase and expiry dates (YYYY-MM-DD), seats, order number and notes. add and edit take them, show prints them, JSON lists carry them, and expiring lists the licences that run out soon.

Commands:
</source>
        <translation>Aufruf: %1 [--db DATABASE] COMMAND [ARGUMENTS]

Liest und ändert die Seriennummern von Numira. --db nennt die Datenbank: eine Datei oder einen PostgreSQL-Server als postgresql://user@host:port/db oder service=NAME (das Passwort aus ~/.pgpass oder der Service-Datei); ohne diese Angabe die Datenbank, die Numira verwendet. Die Passphrase einer geschützten Datenbank wird mit --passphrase-fd N aus dem Deskriptor N gelesen, sonst aus dem Schlüsselbund genommen, sonst im Terminal erfragt.
Die Ausgabe ist im Terminal eine ausgerichtete Tabelle und sonst TSV; --format table|tsv|csv|json wählt. Eine Tabelle passt sich der Breite des Terminals an, lange Werte werden mit Auslassungszeichen gekürzt; --wide zeigt sie vollständig.
Exit-Status: 0 erledigt, 1 fehlgeschlagen, 2 falsche Befehlszeile. --version gibt die Version aus.
Ein Eintrag kann Details haben: E-Mail, URL, Kauf- und Ablaufdatum (YYYY-MM-DD), Plätze, Bestellnummer und Notizen. add und edit nehmen sie an, show gibt sie aus, JSON-Listen enthalten sie, und expiring listet die bald ablaufenden Lizenzen.

Befehle:
</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Usage: numira [TEXT...]
       numira --add-serial=TEXT
       numira -h | --help | --version

Keeps your software serial numbers. Any text on the command line opens the add
screen with that text as the serial; a running Numira receives it instead.
--add-serial= with no text opens the add screen empty.
</source>
        <translation>Aufruf: numira [TEXT...]
        numira --add-serial=TEXT
        numira -h | --help | --version

Verwahrt Ihre Software-Seriennummern. Text auf der Befehlszeile öffnet die
Hinzufügen-Maske mit diesem Text als Seriennummer; ein laufendes Numira erhält
ihn stattdessen. --add-serial= ohne Text öffnet die Hinzufügen-Maske leer.
</translation>
    </message>
</context>
<context>
    <name>CommandOutput</name>
    <message>
        <source>Nothing could be written</source>
        <translation>Es konnte nichts geschrieben werden</translation>
    </message>
</context>
<context>
    <name>Compaction</name>
    <message>
        <source>The disk is full.</source>
        <translation>Der Datenträger ist voll.</translation>
    </message>
    <message>
        <source>The database cannot be compacted: %1</source>
        <translation>Die Datenbank kann nicht verdichtet werden: %1</translation>
    </message>
    <message>
        <source>The database&apos;s size cannot be read.</source>
        <translation>Die Größe der Datenbank kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>There is no database file at &quot;%1&quot;.</source>
        <translation>Unter „%1“ gibt es keine Datenbankdatei.</translation>
    </message>
    <message>
        <source>The database &quot;%1&quot; is read-only and is left as it is.</source>
        <translation>Die Datenbank „%1“ ist schreibgeschützt und bleibt, wie sie ist.</translation>
    </message>
    <message>
        <source>The database is compacted, but its folder cannot be flushed to disk: %1</source>
        <translation>Die Datenbank ist verdichtet, aber ihr Ordner kann nicht auf den Datenträger geschrieben werden: %1</translation>
    </message>
</context>
<context>
    <name>CopyCommand</name>
    <message>
        <source>Copies every record of one database into another, in one transaction on the target: a database file to a PostgreSQL server (postgresql://user@host/db or service=NAME) and back, or any two. The target&apos;s records stay; serials already stored there for their program are skipped and counted, as import does, unless --allow-duplicate. --dry-run stores nothing.</source>
        <translation>Kopiert jeden Datensatz einer Datenbank in eine andere, in einer Transaktion auf dem Ziel: eine Datenbankdatei auf einen PostgreSQL-Server (postgresql://benutzer@host/db oder service=NAME) und zurück, oder zwei beliebige. Die Datensätze des Ziels bleiben; Seriennummern, die dort für ihr Programm schon gespeichert sind, werden wie beim Import übersprungen und gezählt, außer mit --allow-duplicate. --dry-run speichert nichts.</translation>
    </message>
    <message>
        <source>copy needs --from and --to</source>
        <translation>copy braucht --from und --to</translation>
    </message>
    <message>
        <source>%1 Nothing was copied.</source>
        <translation>%1 Es wurde nichts kopiert.</translation>
    </message>
    <message>
        <source>Read %1 records; would add %2 records (%3 new programs), would skip %4 duplicates.
</source>
        <translation>%1 Datensätze gelesen; würde %2 Datensätze hinzufügen (%3 neue Programme), würde %4 Duplikate überspringen.
</translation>
    </message>
    <message>
        <source>Read %1 records; added %2 records (%3 new programs), skipped %4 duplicates.
</source>
        <translation>%1 Datensätze gelesen; %2 Datensätze hinzugefügt (%3 neue Programme), %4 Duplikate übersprungen.
</translation>
    </message>
</context>
<context>
    <name>DatabaseAddress</name>
    <message>
        <source>%1 on this computer</source>
        <translation>%1 auf diesem Computer</translation>
    </message>
    <message>
        <source>%1 (service)</source>
        <translation>%1 (Service)</translation>
    </message>
    <message>
        <source>%1 on %2</source>
        <translation>%1 auf %2</translation>
    </message>
</context>
<context>
    <name>DatabaseCommands</name>
    <message>
        <source>Error Opening Database!  Please select your database!</source>
        <translation>Fehler beim Öffnen der Datenbank!  Bitte wählen Sie Ihre Datenbank!</translation>
    </message>
    <message>
        <source>Invalid Database Structure! Please make sure you only use databases specifically designed for this application!</source>
        <translation>Ungültiger Aufbau der Datenbank! Bitte verwenden Sie nur Datenbanken, die für dieses Programm gemacht sind!</translation>
    </message>
    <message>
        <source>Database (*.mdb)|*.mdb| </source>
        <translation>Datenbank (*.mdb)|*.mdb| </translation>
    </message>
    <message>
        <source>JSON (*.json)|*.json| </source>
        <translation>JSON (*.json)|*.json| </translation>
    </message>
    <message>
        <source>A passphrase protects a database file. A database on a server is protected by the server&apos;s own roles and rights.</source>
        <translation>Eine Passphrase schützt eine Datenbankdatei. Eine Datenbank auf einem Server schützen die Rollen und Rechte des Servers.</translation>
    </message>
    <message>
        <source>CSV (*.csv)|*.csv|Key finder CSV (*.csv)|*.csv|JSON (*.json)|*.json|TSV (*.tsv)|*.tsv|All Files (*)|*| </source>
        <translation>CSV (*.csv)|*.csv|CSV eines Key-Finders (*.csv)|*.csv|JSON (*.json)|*.json|TSV (*.tsv)|*.tsv|Alle Dateien (*)|*| </translation>
    </message>
    <message>
        <source>CSV (*.csv)|*.csv|JSON (*.json)|*.json|TSV (*.tsv)|*.tsv|All Files (*)|*| </source>
        <translation>CSV (*.csv)|*.csv|JSON (*.json)|*.json|TSV (*.tsv)|*.tsv|Alle Dateien (*)|*| </translation>
    </message>
    <message>
        <source>Error Opening Database!  %1</source>
        <translation>Fehler beim Öffnen der Datenbank!  %1</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Numira will now backup the database that you are currently using!  Please Select the Directory you would like to backup to and Click Save! Do you want to continue?</source>
        <translation>Numira sichert jetzt die Datenbank, die Sie gerade verwenden!  Bitte wählen Sie den Ordner für die Sicherung und klicken Sie auf Speichern! Möchten Sie fortfahren?</translation>
    </message>
    <message>
        <source>Backup Serials...</source>
        <translation>Seriennummern sichern...</translation>
    </message>
    <message>
        <source>The backup to &quot;%1&quot; failed!  %2</source>
        <translation>Die Sicherung nach „%1“ ist fehlgeschlagen!  %2</translation>
    </message>
    <message>
        <source>Database Backup Complete!</source>
        <translation>Sicherung der Datenbank abgeschlossen!</translation>
    </message>
    <message>
        <source>Database Backup Complete!  %1</source>
        <translation>Sicherung der Datenbank abgeschlossen!  %1</translation>
    </message>
    <message>
        <source>Importing records...</source>
        <translation>Datensätze werden importiert...</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Import Records</source>
        <translation>Datensätze importieren</translation>
    </message>
    <message>
        <source>Nothing was imported from &quot;%1&quot;!  %2</source>
        <translation>Aus „%1“ wurde nichts importiert!  %2</translation>
    </message>
    <message>
        <source>Records imported: %1.  Duplicates skipped: %2.  New programs: %3.</source>
        <translation>Importierte Datensätze: %1.  Übersprungene Duplikate: %2.  Neue Programme: %3.</translation>
    </message>
    <message>
        <source>Export Records</source>
        <translation>Datensätze exportieren</translation>
    </message>
    <message>
        <source>&amp;Spreadsheet-safe CSV: a &apos; before cells that begin with =, +, -, @</source>
        <translation>CSV für &amp;Tabellenkalkulation: ein &apos; vor Zellen, die mit =, +, -, @ beginnen</translation>
    </message>
    <message>
        <source>&quot;%1&quot; already exists.  Do you want to replace it?</source>
        <translation>„%1“ existiert bereits.  Möchten Sie die Datei ersetzen?</translation>
    </message>
    <message numerus="yes">
        <source>Records exported: %n.</source>
        <translation>
            <numerusform>%n Datensatz exportiert.</numerusform>
            <numerusform>%n Datensätze exportiert.</numerusform>
        </translation>
    </message>
    <message>
        <source>The export to &quot;%1&quot; failed!  %2</source>
        <translation>Der Export nach „%1“ ist fehlgeschlagen!  %2</translation>
    </message>
    <message>
        <source>  The index was rebuilt.</source>
        <translation>  Der Index wurde neu aufgebaut.</translation>
    </message>
    <message>
        <source>A passphrase change of this database was cut short; what it left beside the database was removed: %1</source>
        <translation>Ein Wechsel der Passphrase dieser Datenbank wurde abgebrochen; was er neben der Datenbank zurückließ, wurde entfernt: %1</translation>
    </message>
    <message>
        <source>Passphrase</source>
        <translation>Passphrase</translation>
    </message>
    <message>
        <source>The database &quot;%1&quot; is protected. Enter its passphrase:</source>
        <translation>Die Datenbank „%1“ ist geschützt. Geben Sie ihre Passphrase ein:</translation>
    </message>
    <message>
        <source>The keyring did not keep the passphrase: %1</source>
        <translation>Der Schlüsselbund hat die Passphrase nicht gespeichert: %1</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
    <message>
        <source>The server of &quot;%1&quot; asks for a password:</source>
        <translation>Der Server von „%1“ verlangt ein Passwort:</translation>
    </message>
    <message>
        <source>The server of &quot;%1&quot; asks for the password of %2:</source>
        <translation>Der Server von „%1“ verlangt das Passwort von %2:</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>&amp;Passwort:</translation>
    </message>
    <message>
        <source>The keyring did not keep the password: %1</source>
        <translation>Der Schlüsselbund hat das Passwort nicht gespeichert: %1</translation>
    </message>
    <message>
        <source>The database is not protected by a passphrase.</source>
        <translation>Die Datenbank ist nicht durch eine Passphrase geschützt.</translation>
    </message>
    <message>
        <source>Enter the database&apos;s current passphrase:</source>
        <translation>Geben Sie die aktuelle Passphrase der Datenbank ein:</translation>
    </message>
    <message>
        <source>Protect with Passphrase</source>
        <translation>Mit Passphrase schützen</translation>
    </message>
    <message>
        <source>The database is protected by a passphrase already.</source>
        <translation>Die Datenbank ist bereits durch eine Passphrase geschützt.</translation>
    </message>
    <message>
        <source>Numira will encrypt the database with this passphrase. Without it, nobody (not even you) can read the records again. Enter it twice:</source>
        <translation>Numira verschlüsselt die Datenbank mit dieser Passphrase. Ohne sie kann niemand (auch Sie nicht) die Datensätze wieder lesen. Geben Sie sie zweimal ein:</translation>
    </message>
    <message>
        <source>The database is protected by the passphrase.  Older copies of the file and its backups are not.</source>
        <translation>Die Datenbank ist durch die Passphrase geschützt.  Ältere Kopien der Datei und ihre Sicherungen sind es nicht.</translation>
    </message>
    <message>
        <source>Change Passphrase</source>
        <translation>Passphrase ändern</translation>
    </message>
    <message>
        <source>Enter the new passphrase twice:</source>
        <translation>Geben Sie die neue Passphrase zweimal ein:</translation>
    </message>
    <message>
        <source>The passphrase is changed.</source>
        <translation>Die Passphrase ist geändert.</translation>
    </message>
    <message>
        <source>Remove Passphrase</source>
        <translation>Passphrase entfernen</translation>
    </message>
    <message>
        <source>The passphrase is removed: the database file is not encrypted any more.</source>
        <translation>Die Passphrase ist entfernt: die Datenbankdatei ist nicht mehr verschlüsselt.</translation>
    </message>
    <message>
        <source>The database is protected by a passphrase, but the exported file is not: anyone who gets it can read every record.</source>
        <translation>Die Datenbank ist durch eine Passphrase geschützt, die exportierte Datei aber nicht: wer sie bekommt, kann jeden Datensatz lesen.</translation>
    </message>
</context>
<context>
    <name>DatabaseCopy</name>
    <message>
        <source>The source and the target are the same database.</source>
        <translation>Quelle und Ziel sind dieselbe Datenbank.</translation>
    </message>
</context>
<context>
    <name>DatabaseLock</name>
    <message>
        <source>A database on a server does not lock: the server&apos;s own roles and rights protect it.</source>
        <translation>Eine Datenbank auf einem Server wird nicht gesperrt: die Rollen und Rechte des Servers schützen sie.</translation>
    </message>
    <message>
        <source>Only a database protected by a passphrase can be locked (Protect with Passphrase...).</source>
        <translation>Nur eine durch eine Passphrase geschützte Datenbank kann gesperrt werden (Mit Passphrase schützen...).</translation>
    </message>
    <message>
        <source>No database is open.</source>
        <translation>Es ist keine Datenbank geöffnet.</translation>
    </message>
    <message>
        <source>The database is locked.</source>
        <translation>Die Datenbank ist gesperrt.</translation>
    </message>
    <message>
        <source>Lock the database now?  What you typed is kept in memory (never on disk) and comes back when you unlock it.</source>
        <translation>Die Datenbank jetzt sperren?  Was Sie eingegeben haben, bleibt im Speicher (nie auf dem Datenträger) und kommt beim Entsperren zurück.</translation>
    </message>
    <message>
        <source>Unlock the database to add the serial from the web browser.</source>
        <translation>Entsperren Sie die Datenbank, um die Seriennummer aus dem Webbrowser hinzuzufügen.</translation>
    </message>
    <message>
        <source>Lock Database</source>
        <translation>Datenbank sperren</translation>
    </message>
    <message>
        <source>The keyring keeps no passphrase for this database.</source>
        <translation>Der Schlüsselbund hat keine Passphrase für diese Datenbank.</translation>
    </message>
</context>
<context>
    <name>DatabaseProtection</name>
    <message>
        <source>The database cannot be rewritten: %1</source>
        <translation>Die Datenbank kann nicht neu geschrieben werden: %1</translation>
    </message>
    <message>
        <source>The database &quot;%1&quot; is read-only and is left as it is.</source>
        <translation>Die Datenbank „%1“ ist schreibgeschützt und bleibt, wie sie ist.</translation>
    </message>
    <message>
        <source>No new file can be made beside the database: %1</source>
        <translation>Neben der Datenbank kann keine neue Datei angelegt werden: %1</translation>
    </message>
    <message>
        <source>The new file cannot take the database&apos;s permissions.</source>
        <translation>Die neue Datei kann die Rechte der Datenbank nicht übernehmen.</translation>
    </message>
    <message>
        <source>The new file cannot be flushed to disk: %1</source>
        <translation>Die neue Datei kann nicht auf den Datenträger geschrieben werden: %1</translation>
    </message>
    <message>
        <source>The new file cannot replace the database: %1</source>
        <translation>Die neue Datei kann die Datenbank nicht ersetzen: %1</translation>
    </message>
    <message>
        <source>The database is rewritten, but its folder cannot be flushed to disk: %1</source>
        <translation>Die Datenbank ist neu geschrieben, aber ihr Ordner kann nicht auf den Datenträger geschrieben werden: %1</translation>
    </message>
    <message>
        <source>No key can be made for the passphrase.</source>
        <translation>Für die Passphrase kann kein Schlüssel erzeugt werden.</translation>
    </message>
    <message>
        <source>The passphrase is empty.</source>
        <translation>Die Passphrase ist leer.</translation>
    </message>
    <message>
        <source>The database is protected already.</source>
        <translation>Die Datenbank ist bereits geschützt.</translation>
    </message>
    <message>
        <source>The database is not protected by a passphrase.</source>
        <translation>Die Datenbank ist nicht durch eine Passphrase geschützt.</translation>
    </message>
    <message>
        <source>strong</source>
        <translation>stark</translation>
    </message>
    <message>
        <source>fair</source>
        <translation>mittel</translation>
    </message>
    <message>
        <source>weak</source>
        <translation>schwach</translation>
    </message>
</context>
<context>
    <name>DatabaseSession</name>
    <message>
        <source>The connection to the database server was lost.</source>
        <translation>Die Verbindung zum Datenbankserver ist verloren gegangen.</translation>
    </message>
    <message>
        <source>The key of &quot;%1&quot; cannot be derived.</source>
        <translation>Der Schlüssel von „%1“ kann nicht abgeleitet werden.</translation>
    </message>
</context>
<context>
    <name>DetailsDialog</name>
    <message>
        <source>Licence Details</source>
        <translation>Lizenzdetails</translation>
    </message>
    <message>
        <source>Licence Details: %1</source>
        <translation>Lizenzdetails: %1</translation>
    </message>
    <message>
        <source>Open in &amp;Browser</source>
        <translation>Im &amp;Browser öffnen</translation>
    </message>
    <message>
        <source>&amp;Purchased:</source>
        <translation>&amp;Gekauft:</translation>
    </message>
    <message>
        <source>E&amp;xpires:</source>
        <translation>Läu&amp;ft ab:</translation>
    </message>
    <message>
        <source>&amp;E-mail:</source>
        <translation>&amp;E-Mail:</translation>
    </message>
    <message>
        <source>&amp;Address (URL):</source>
        <translation>&amp;Adresse (URL):</translation>
    </message>
    <message>
        <source>&amp;Seats:</source>
        <translation>&amp;Plätze:</translation>
    </message>
    <message>
        <source>O&amp;rder number:</source>
        <translation>Beste&amp;llnummer:</translation>
    </message>
    <message>
        <source>&amp;Notes:</source>
        <translation>&amp;Notizen:</translation>
    </message>
    <message>
        <source>Error!</source>
        <translation>Fehler!</translation>
    </message>
    <message>
        <source>No browser could open %1.</source>
        <translation>Kein Browser konnte %1 öffnen.</translation>
    </message>
</context>
<context>
    <name>DetailsForm</name>
    <message>
        <source>The e-mail address &quot;%1&quot; is not one: it needs a name, an @ and a domain.</source>
        <translation>„%1“ ist keine E-Mail-Adresse: Sie braucht einen Namen, ein @ und eine Domain.</translation>
    </message>
    <message>
        <source>The address &quot;%1&quot; is not a web address.</source>
        <translation>„%1“ ist keine Webadresse.</translation>
    </message>
    <message>
        <source>Seats must be a whole number from 0 to %1.</source>
        <translation>Die Zahl der Plätze muss eine ganze Zahl von 0 bis %1 sein.</translation>
    </message>
    <message>
        <source>The licence cannot expire before it was purchased.</source>
        <translation>Die Lizenz kann nicht vor ihrem Kauf ablaufen.</translation>
    </message>
</context>
<context>
    <name>EditCommand</name>
    <message>
        <source>edit needs at least one of %1</source>
        <translation>edit braucht mindestens eines von %1</translation>
    </message>
    <message>
        <source>Changes the given fields of a record and dates it now, under the rules of add: a serial that another record of the program already holds is refused unless --allow-duplicate. Details not named stay as they are.</source>
        <translation>Ändert die angegebenen Felder eines Eintrags und datiert ihn auf jetzt, nach den Regeln von add: Eine Seriennummer, die ein anderer Eintrag des Programms schon hat, wird ohne --allow-duplicate abgelehnt. Nicht genannte Details bleiben, wie sie sind.</translation>
    </message>
</context>
<context>
    <name>EditScreen</name>
    <message>
        <source>The record no longer exists.</source>
        <translation>Der Datensatz existiert nicht mehr.</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>Version:</translation>
    </message>
    <message>
        <source>Registration Name:</source>
        <translation>Registriert auf:</translation>
    </message>
    <message>
        <source>Serial Number:</source>
        <translation>Seriennummer:</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>&amp;Delete Serial</source>
        <translation>Eintrag &amp;löschen</translation>
    </message>
    <message>
        <source>&amp;Save Changes</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>Co&amp;py</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>Copy the serial; the clipboard is cleared again after a while</source>
        <translation>Die Seriennummer kopieren; die Zwischenablage wird nach einer Weile wieder geleert</translation>
    </message>
    <message>
        <source>The record could not be read!</source>
        <translation>Der Datensatz konnte nicht gelesen werden!</translation>
    </message>
    <message>
        <source>Error!</source>
        <translation>Fehler!</translation>
    </message>
    <message>
        <source>Apply Edit?</source>
        <translation>Änderung übernehmen?</translation>
    </message>
    <message>
        <source>The changes were not saved!</source>
        <translation>Die Änderungen wurden nicht gespeichert!</translation>
    </message>
    <message>
        <source>Are you sure you want to delete the selected record?</source>
        <translation>Möchten Sie den ausgewählten Datensatz wirklich löschen?</translation>
    </message>
    <message>
        <source>Delete Selected Record?</source>
        <translation>Ausgewählten Datensatz löschen?</translation>
    </message>
    <message>
        <source>The record was not deleted!</source>
        <translation>Der Datensatz wurde nicht gelöscht!</translation>
    </message>
    <message>
        <source>De&amp;tails...</source>
        <translation>De&amp;tails...</translation>
    </message>
    <message>
        <source>E-mail, address, dates, seats, order number and notes</source>
        <translation>E-Mail, Adresse, Daten, Plätze, Bestellnummer und Notizen</translation>
    </message>
    <message>
        <source>The details of the record could not be read!</source>
        <translation>Die Details des Eintrags konnten nicht gelesen werden!</translation>
    </message>
    <message>
        <source>The details were not saved!</source>
        <translation>Die Details wurden nicht gespeichert!</translation>
    </message>
    <message>
        <source>Save the licence details you entered?</source>
        <translation>Die eingegebenen Lizenzdetails speichern?</translation>
    </message>
    <message>
        <source>Save Details?</source>
        <translation>Details speichern?</translation>
    </message>
</context>
<context>
    <name>EngineWebView</name>
    <message>
        <source>The web browser could not be started. Everything else in Numira works as usual.</source>
        <translation>Der Webbrowser konnte nicht gestartet werden. Alles andere in Numira funktioniert wie gewohnt.</translation>
    </message>
</context>
<context>
    <name>ExpiringCommand</name>
    <message>
        <source>Lists the records whose licence expires within DAYS days from today (30 without --within) or expired in the last 30 days, the soonest expiry first, with their expiry dates. Finding none is no failure.</source>
        <translation>Listet die Einträge, deren Lizenz innerhalb von DAYS Tagen ab heute abläuft (30 ohne --within) oder in den letzten 30 Tagen abgelaufen ist, mit dem frühesten Ablauf zuerst und ihren Ablaufdaten. Keinen zu finden ist kein Fehler.</translation>
    </message>
    <message>
        <source>--within takes a whole number of days from 0 to %1, not &quot;%2&quot;</source>
        <translation>--within nimmt eine ganze Zahl von Tagen von 0 bis %1, nicht „%2“</translation>
    </message>
</context>
<context>
    <name>ExpiringScreen</name>
    <message>
        <source>Expires</source>
        <translation>Läuft ab</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>Programm</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>&amp;Look Closer</source>
        <translation>&amp;Genauer ansehen</translation>
    </message>
    <message>
        <source>The expiring licences could not be read!</source>
        <translation>Die ablaufenden Lizenzen konnten nicht gelesen werden!</translation>
    </message>
    <message>
        <source>Expired</source>
        <translation>Abgelaufen</translation>
    </message>
    <message>
        <source>Expires soon</source>
        <translation>Läuft bald ab</translation>
    </message>
    <message>
        <source>No licence expires soon.</source>
        <translation>Keine Lizenz läuft bald ab.</translation>
    </message>
</context>
<context>
    <name>ExpiryMarkDelegate</name>
    <message>
        <source>Expired on %1</source>
        <translation>Abgelaufen am %1</translation>
    </message>
    <message>
        <source>Expires on %1</source>
        <translation>Läuft ab am %1</translation>
    </message>
</context>
<context>
    <name>ExpiryNotice</name>
    <message numerus="yes">
        <source>%n day</source>
        <translation>
            <numerusform>%n Tag</numerusform>
            <numerusform>%n Tagen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n days</source>
        <translation>
            <numerusform>%n Tag</numerusform>
            <numerusform>%n Tagen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n licence expires within %1</source>
        <translation>
            <numerusform>%n Lizenz läuft innerhalb von %1 ab</numerusform>
            <numerusform>%n Lizenzen laufen innerhalb von %1 ab</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n licences expire within %1</source>
        <translation>
            <numerusform>%n Lizenz läuft innerhalb von %1 ab</numerusform>
            <numerusform>%n Lizenzen laufen innerhalb von %1 ab</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n licence has expired</source>
        <translation>
            <numerusform>%n Lizenz ist abgelaufen</numerusform>
            <numerusform>%n Lizenzen sind abgelaufen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n licences have expired</source>
        <translation>
            <numerusform>%n Lizenz ist abgelaufen</numerusform>
            <numerusform>%n Lizenzen sind abgelaufen</numerusform>
        </translation>
    </message>
    <message>
        <source>%1, and %2</source>
        <translation>%1, und %2</translation>
    </message>
    <message>
        <source>Expiring Licences</source>
        <translation>Ablaufende Lizenzen</translation>
    </message>
</context>
<context>
    <name>ExportCommand</name>
    <message>
        <source>Writes every record in the order stored: CSV (header program,version,name,serial,date; RFC 4180), JSON or TSV. The format follows FILE&apos;s extension unless given; CSV by default. FILE is made readable by you alone and replaced only once the new one is complete; a device, pipe or folder is refused. --spreadsheet-safe puts a &apos; before CSV cells that begin with =, +, -, @, a tab or a carriage return, so that a spreadsheet does not run them as formulas (the file then no longer imports to the same values). The export of a database protected by a passphrase is plain text, and a warning says so on standard error unless --plain-ok is given.</source>
        <translation>Schreibt jeden Datensatz in der gespeicherten Reihenfolge: CSV (Kopfzeile program,version,name,serial,date; RFC 4180), JSON oder TSV. Das Format folgt der Endung von DATEI, wenn es nicht angegeben ist; sonst CSV. DATEI ist nur für Sie lesbar und wird erst ersetzt, wenn die neue vollständig ist; ein Gerät, eine Pipe oder ein Ordner wird abgelehnt. --spreadsheet-safe setzt ein &apos; vor CSV-Zellen, die mit =, +, -, @, einem Tabulator oder einem Wagenrücklauf beginnen, damit eine Tabellenkalkulation sie nicht als Formeln ausführt (die Datei importiert dann nicht mehr dieselben Werte). Der Export einer durch eine Passphrase geschützten Datenbank ist Klartext, und eine Warnung auf der Standardfehlerausgabe sagt es, außer mit --plain-ok.</translation>
    </message>
    <message>
        <source>--format is one of %1</source>
        <translation>--format ist eines von %1</translation>
    </message>
    <message>
        <source>the database is protected by a passphrase, but the export is not: anyone who gets it can read every record (--plain-ok leaves this out)</source>
        <translation>die Datenbank ist durch eine Passphrase geschützt, der Export aber nicht: wer ihn bekommt, kann jeden Datensatz lesen (--plain-ok lässt diese Warnung weg)</translation>
    </message>
</context>
<context>
    <name>FileBackend</name>
    <message>
        <source>a folder</source>
        <translation>ein Ordner</translation>
    </message>
    <message>
        <source>a named pipe (FIFO)</source>
        <translation>eine benannte Pipe (FIFO)</translation>
    </message>
    <message>
        <source>a device</source>
        <translation>ein Gerät</translation>
    </message>
    <message>
        <source>a socket</source>
        <translation>ein Socket</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is %2, not a database file.</source>
        <translation>„%1“ ist %2, keine Datenbankdatei.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a folder, not a database file.</source>
        <translation>„%1“ ist ein Ordner, keine Datenbankdatei.</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; does not exist.</source>
        <translation>Die Datei „%1“ existiert nicht.</translation>
    </message>
    <message>
        <source>The database refused the request (%1).</source>
        <translation>Die Datenbank hat die Anfrage abgelehnt (%1).</translation>
    </message>
    <message>
        <source>The database file is read-only.</source>
        <translation>Die Datenbankdatei ist schreibgeschützt.</translation>
    </message>
    <message>
        <source>The database file cannot be read or written.</source>
        <translation>Die Datenbankdatei kann nicht gelesen oder geschrieben werden.</translation>
    </message>
    <message>
        <source>The database file is damaged or is not a Numira database.</source>
        <translation>Die Datenbankdatei ist beschädigt oder keine Numira-Datenbank.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a Numira database.</source>
        <translation>„%1“ ist keine Numira-Datenbank.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a Numira database (%2).</source>
        <translation>„%1“ ist keine Numira-Datenbank (%2).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be opened (%2).</source>
        <translation>„%1“ kann nicht geöffnet werden (%2).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; lacks the tables &quot;programs&quot; and &quot;serials&quot;.</source>
        <translation>In „%1“ fehlen die Tabellen „programs“ und „serials“.</translation>
    </message>
</context>
<context>
    <name>HandOverReceiver</name>
    <message>
        <source>Discard what you typed and add the serial from the web browser?</source>
        <translation>Ihre Eingabe verwerfen und die Seriennummer aus dem Webbrowser hinzufügen?</translation>
    </message>
</context>
<context>
    <name>ImportCommand</name>
    <message>
        <source>Adds the records of a file in one transaction: a bad row adds nothing and is named. CSV columns are matched by header name in any order, separated by , or ; (a UTF-8 byte-order mark is fine); tsv reads the TSV export; keyfinder reads the CSV export of product-key finders (columns such as Product Name and Product Key). The format follows FILE&apos;s extension (.json, .tsv) unless given. FILE is an ordinary file of at most 256 MiB. Serials already stored for their program are skipped and counted unless --allow-duplicate. --dry-run stores nothing and lists what would be added and what is a duplicate.</source>
        <translation>Fügt die Datensätze einer Datei in einer Transaktion hinzu: eine fehlerhafte Zeile fügt nichts hinzu und wird genannt. CSV-Spalten werden über den Namen in der Kopfzeile in beliebiger Reihenfolge zugeordnet, getrennt durch , oder ; (eine UTF-8-Bytereihenfolgemarke ist erlaubt); tsv liest den TSV-Export; keyfinder liest den CSV-Export von Produktschlüssel-Findern (Spalten wie Product Name und Product Key). Das Format folgt der Endung von DATEI (.json, .tsv), wenn es nicht angegeben ist. DATEI ist eine gewöhnliche Datei von höchstens 256 MiB. Seriennummern, die für ihr Programm schon gespeichert sind, werden übersprungen und gezählt, außer mit --allow-duplicate. --dry-run speichert nichts und listet, was hinzugefügt würde und was ein Duplikat ist.</translation>
    </message>
    <message>
        <source>--format is one of %1</source>
        <translation>--format ist eines von %1</translation>
    </message>
    <message>
        <source>%1 Nothing was imported.</source>
        <translation>%1 Es wurde nichts importiert.</translation>
    </message>
    <message>
        <source>%1: %2 Nothing was imported.</source>
        <translation>%1: %2 Es wurde nichts importiert.</translation>
    </message>
    <message>
        <source>Would add %1 records (%2 new programs), would skip %3 duplicates.
</source>
        <translation>Würde %1 Datensätze hinzufügen (%2 neue Programme), würde %3 Duplikate überspringen.
</translation>
    </message>
    <message>
        <source>Added %1 records (%2 new programs), skipped %3 duplicates.
</source>
        <translation>%1 Datensätze hinzugefügt (%2 neue Programme), %3 Duplikate übersprungen.
</translation>
    </message>
</context>
<context>
    <name>ImportJob</name>
    <message>
        <source>The import was cancelled.</source>
        <translation>Der Import wurde abgebrochen.</translation>
    </message>
</context>
<context>
    <name>InstanceServer</name>
    <message>
        <source>There is no private folder for the socket.</source>
        <translation>Es gibt keinen privaten Ordner für den Socket.</translation>
    </message>
</context>
<context>
    <name>ListCommand</name>
    <message>
        <source>Lists every record by program and version, or the records of one program (letter case aside), highest version first.</source>
        <translation>Listet jeden Datensatz nach Programm und Version, oder die Datensätze eines Programms (ohne Beachtung der Groß- und Kleinschreibung), die höchste Version zuerst.</translation>
    </message>
</context>
<context>
    <name>LockScreen</name>
    <message>
        <source>Numira is locked</source>
        <translation>Numira ist gesperrt</translation>
    </message>
    <message>
        <source>The database &quot;%1&quot; is locked. Enter its passphrase to open it again.</source>
        <translation>Die Datenbank „%1“ ist gesperrt. Geben Sie ihre Passphrase ein, um sie wieder zu öffnen.</translation>
    </message>
    <message>
        <source>Passphrase:</source>
        <translation>Passphrase:</translation>
    </message>
    <message>
        <source>&amp;Unlock</source>
        <translation>&amp;Entsperren</translation>
    </message>
    <message>
        <source>From the &amp;Keyring</source>
        <translation>Aus dem &amp;Schlüsselbund</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>the server cannot be reached</source>
        <translation>der Server ist nicht erreichbar</translation>
    </message>
    <message>
        <source>locked</source>
        <translation>gesperrt</translation>
    </message>
    <message>
        <source>Another Instance of Numira is Already Running!  Please close it before you try and open a new instance!</source>
        <translation>Numira läuft bereits!  Bitte schließen Sie es, bevor Sie es ein weiteres Mal öffnen!</translation>
    </message>
    <message>
        <source>The database server answers again.</source>
        <translation>Der Datenbankserver antwortet wieder.</translation>
    </message>
    <message>
        <source>The database is locked.</source>
        <translation>Die Datenbank ist gesperrt.</translation>
    </message>
    <message>
        <source>Numira Online Community!</source>
        <translation>Numira-Community im Netz!</translation>
    </message>
    <message>
        <source>Add a New Serial to Your Database</source>
        <translation>Eine neue Seriennummer zur Datenbank hinzufügen</translation>
    </message>
    <message>
        <source>Browse Your Database by Program</source>
        <translation>Die Datenbank nach Programm durchblättern</translation>
    </message>
    <message>
        <source>Search Your Serial Database by Keywords</source>
        <translation>Die Datenbank nach Stichwörtern durchsuchen</translation>
    </message>
    <message>
        <source>Goto Numira Startup Page</source>
        <translation>Zur Startseite von Numira</translation>
    </message>
    <message>
        <source>Show Current Page You Are at in Browser</source>
        <translation>Die aktuelle Seite im Browser zeigen</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Change Database</source>
        <translation>Datenbank wechseln</translation>
    </message>
    <message>
        <source>Close Program</source>
        <translation>Programm schließen</translation>
    </message>
    <message>
        <source>Minimize to System Tray!</source>
        <translation>In den Infobereich minimieren!</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Durchsuchen</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Startseite</translation>
    </message>
    <message>
        <source>Browser</source>
        <translation>Browser</translation>
    </message>
    <message>
        <source>Numira Online Community</source>
        <translation>Numira-Online-Community</translation>
    </message>
</context>
<context>
    <name>NativeHostManifests</name>
    <message>
        <source>Cannot create the folder %1.</source>
        <translation>Der Ordner %1 kann nicht angelegt werden.</translation>
    </message>
    <message>
        <source>Cannot write %1 in the folder %2: %3.</source>
        <translation>%1 kann nicht in den Ordner %2 geschrieben werden: %3.</translation>
    </message>
    <message>
        <source>Cannot remove %1: %2.</source>
        <translation>%1 kann nicht entfernt werden: %2.</translation>
    </message>
</context>
<context>
    <name>NativeHostRegistry</name>
    <message>
        <source>Cannot write the registry key %1.</source>
        <translation>Der Registrierungsschlüssel %1 kann nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>Cannot remove the registry key %1.</source>
        <translation>Der Registrierungsschlüssel %1 kann nicht entfernt werden.</translation>
    </message>
</context>
<context>
    <name>NativeMessage</name>
    <message>
        <source>The text is empty.</source>
        <translation>Der Text ist leer.</translation>
    </message>
    <message>
        <source>The text holds a NUL character.</source>
        <translation>Der Text enthält ein NUL-Zeichen.</translation>
    </message>
    <message>
        <source>The text holds an unpaired surrogate.</source>
        <translation>Der Text enthält ein einzelnes Surrogat.</translation>
    </message>
    <message>
        <source>The text is %1 bytes long; at most %2 are taken.</source>
        <translation>Der Text ist %1 Byte lang; höchstens %2 werden angenommen.</translation>
    </message>
</context>
<context>
    <name>OptionsDialog</name>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source> s</source>
        <translation> s</translation>
    </message>
    <message>
        <source>Never</source>
        <translation>Nie</translation>
    </message>
    <message>
        <source> min</source>
        <translation> min</translation>
    </message>
    <message>
        <source>Lock when &amp;minimised to the tray</source>
        <translation>Beim &amp;Minimieren in den Infobereich sperren</translation>
    </message>
    <message>
        <source>&amp;Clear a copied serial after:</source>
        <translation>Kopierte Seriennummer &amp;leeren nach:</translation>
    </message>
    <message>
        <source>&amp;Lock a protected database after:</source>
        <translation>Geschützte Datenbank &amp;sperren nach:</translation>
    </message>
    <message>
        <source>A protected database also locks when the desktop session locks.</source>
        <translation>Eine geschützte Datenbank wird auch gesperrt, wenn sich die Desktopsitzung sperrt.</translation>
    </message>
    <message>
        <source> days</source>
        <translation> Tage</translation>
    </message>
    <message>
        <source>&amp;Warn of a licence&apos;s expiry before:</source>
        <translation>Vor Lizenzablauf &amp;warnen:</translation>
    </message>
</context>
<context>
    <name>PassphraseDialog</name>
    <message>
        <source>&amp;Again:</source>
        <translation>&amp;Wiederholen:</translation>
    </message>
    <message>
        <source>&amp;Remember it in the keyring</source>
        <translation>Im Schlüsselbund &amp;merken</translation>
    </message>
    <message>
        <source>Strength: %1</source>
        <translation>Stärke: %1</translation>
    </message>
    <message>
        <source>The two passphrases differ.</source>
        <translation>Die beiden Passphrasen unterscheiden sich.</translation>
    </message>
</context>
<context>
    <name>PassphraseKeyring</name>
    <message>
        <source>No keyring: there is no desktop session bus.</source>
        <translation>Kein Schlüsselbund: es gibt keinen Sitzungsbus des Desktops.</translation>
    </message>
    <message>
        <source>No keyring: no Secret Service (GNOME Keyring, KWallet) is running.</source>
        <translation>Kein Schlüsselbund: es läuft kein Secret Service (GNOME Keyring, KWallet).</translation>
    </message>
</context>
<context>
    <name>PopupMenus</name>
    <message>
        <source>&amp;Open Database</source>
        <translation>Datenbank ö&amp;ffnen</translation>
    </message>
    <message>
        <source>&amp;Backup Database</source>
        <translation>Datenbank &amp;sichern</translation>
    </message>
    <message>
        <source>&amp;Import Records...</source>
        <translation>Datensätze &amp;importieren...</translation>
    </message>
    <message>
        <source>E&amp;xport Records...</source>
        <translation>Datensätze e&amp;xportieren...</translation>
    </message>
    <message>
        <source>&amp;Protect with Passphrase...</source>
        <translation>Mit &amp;Passphrase schützen...</translation>
    </message>
    <message>
        <source>&amp;Change Passphrase...</source>
        <translation>Passphrase ä&amp;ndern...</translation>
    </message>
    <message>
        <source>&amp;Remove Passphrase...</source>
        <translation>Passphrase &amp;entfernen...</translation>
    </message>
    <message>
        <source>&amp;Lock Database</source>
        <translation>Datenbank spe&amp;rren</translation>
    </message>
    <message>
        <source>Op&amp;tions...</source>
        <translation>Op&amp;tionen...</translation>
    </message>
    <message>
        <source>Abo&amp;ut</source>
        <translation>Ü&amp;ber</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Optionen</translation>
    </message>
    <message>
        <source>S&amp;kins</source>
        <translation>Sk&amp;ins</translation>
    </message>
    <message>
        <source>&amp;Database</source>
        <translation>&amp;Datenbank</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Browse</source>
        <translation>B&amp;lättern</translation>
    </message>
    <message>
        <source>&amp;Search</source>
        <translation>&amp;Suchen</translation>
    </message>
    <message>
        <source>Bro&amp;wser</source>
        <translation>Bro&amp;wser</translation>
    </message>
    <message>
        <source>&amp;Home</source>
        <translation>S&amp;tartseite</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>B&amp;eenden</translation>
    </message>
    <message>
        <source>Close the records and forget the key until the passphrase is given again</source>
        <translation>Die Datensätze schließen und den Schlüssel vergessen, bis die Passphrase wieder eingegeben wird</translation>
    </message>
    <message>
        <source>&amp;Expiring Licences...</source>
        <translation>&amp;Ablaufende Lizenzen...</translation>
    </message>
</context>
<context>
    <name>ProgramsCommand</name>
    <message>
        <source>Lists the program names.</source>
        <translation>Listet die Programmnamen.</translation>
    </message>
</context>
<context>
    <name>Prompt</name>
    <message>
        <source>&amp;Passphrase:</source>
        <translation>&amp;Passphrase:</translation>
    </message>
</context>
<context>
    <name>ProtectCommand</name>
    <message>
        <source>Encrypts the database with a passphrase, read from descriptor N or asked twice on the terminal. The file is replaced only once the encrypted copy is complete on disk. --remember keeps the passphrase in the desktop&apos;s keyring, where numira-cli and Numira find it.</source>
        <translation>Verschlüsselt die Datenbank mit einer Passphrase, gelesen aus Deskriptor N oder zweimal im Terminal abgefragt. Die Datei wird erst ersetzt, wenn die verschlüsselte Kopie vollständig auf dem Datenträger ist. --remember legt die Passphrase im Schlüsselbund des Desktops ab, wo numira-cli und Numira sie finden.</translation>
    </message>
    <message>
        <source>A passphrase protects a database file. A database on a server is protected by the server&apos;s own roles and rights.</source>
        <translation>Eine Passphrase schützt eine Datenbankdatei. Eine Datenbank auf einem Server schützen die Rollen und Rechte des Servers.</translation>
    </message>
    <message>
        <source>The database is protected by a passphrase already.</source>
        <translation>Die Datenbank ist bereits durch eine Passphrase geschützt.</translation>
    </message>
    <message>
        <source>The database is protected, but the keyring did not keep the passphrase: %1</source>
        <translation>Die Datenbank ist geschützt, aber der Schlüsselbund hat die Passphrase nicht gespeichert: %1</translation>
    </message>
</context>
<context>
    <name>QtPrompt</name>
    <message>
        <source>On a &amp;Server...</source>
        <translation>Auf einem &amp;Server...</translation>
    </message>
</context>
<context>
    <name>QuickAddHost</name>
    <message>
        <source>Cannot start %1: %2</source>
        <translation>%1 kann nicht gestartet werden: %2</translation>
    </message>
    <message>
        <source>Numira is not installed: no numira beside %1 or on the PATH.</source>
        <translation>Numira ist nicht installiert: kein numira neben %1 oder im PATH.</translation>
    </message>
    <message>
        <source>Cannot answer the browser: %1</source>
        <translation>Dem Browser kann nicht geantwortet werden: %1</translation>
    </message>
    <message>
        <source>Quick add is turned off in Numira&apos;s About window. To turn it on, open Numira, click &quot;A&quot; for About, check &quot;Use Quick Add Shortcut in the Web Browser&quot; and press OK.</source>
        <translation>Das schnelle Hinzufügen ist im Über-Fenster von Numira ausgeschaltet. Zum Einschalten öffnen Sie Numira, klicken auf „A“ für Über, haken „Schnelles Hinzufügen im Webbrowser verwenden“ an und drücken OK.</translation>
    </message>
</context>
<context>
    <name>RecordCopier</name>
    <message>
        <source>Copy &amp;Serial</source>
        <translation>&amp;Seriennummer kopieren</translation>
    </message>
    <message>
        <source>Copy &amp;Record</source>
        <translation>&amp;Datensatz kopieren</translation>
    </message>
    <message>
        <source>The record could not be read!</source>
        <translation>Der Datensatz konnte nicht gelesen werden!</translation>
    </message>
    <message>
        <source>The record no longer exists.</source>
        <translation>Der Datensatz existiert nicht mehr.</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Datensatz</translation>
    </message>
</context>
<context>
    <name>RecordDetails</name>
    <message>
        <source>The number of seats cannot be less than 0.</source>
        <translation>Die Zahl der Plätze kann nicht kleiner als 0 sein.</translation>
    </message>
    <message>
        <source>The date &quot;%1&quot; for %2 is not a real day of the form YYYY-MM-DD.</source>
        <translation>Das Datum „%1“ für %2 ist kein wirklicher Tag der Form YYYY-MM-DD.</translation>
    </message>
    <message>
        <source>The number of seats &quot;%1&quot; is not a whole number of 0 or more.</source>
        <translation>Die Zahl der Plätze „%1“ ist keine ganze Zahl ab 0.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is no detail of a record.</source>
        <translation>„%1“ ist kein Detail eines Eintrags.</translation>
    </message>
</context>
<context>
    <name>RecordImport</name>
    <message>
        <source>The file is not UTF-8 text.</source>
        <translation>Die Datei ist kein UTF-8-Text.</translation>
    </message>
    <message>
        <source>Line %1: a quoted field is not closed.</source>
        <translation>Zeile %1: ein Feld in Anführungszeichen ist nicht geschlossen.</translation>
    </message>
    <message>
        <source>Line %1: text follows a closing quote.</source>
        <translation>Zeile %1: auf ein schließendes Anführungszeichen folgt Text.</translation>
    </message>
    <message>
        <source>Line %1: a backslash must be followed by \, t, n or r.</source>
        <translation>Zeile %1: auf einen Backslash muss \, t, n oder r folgen.</translation>
    </message>
    <message>
        <source>%1: the date &quot;%2&quot; is not an ISO 8601 date.</source>
        <translation>%1: das Datum „%2“ ist kein Datum nach ISO 8601.</translation>
    </message>
    <message>
        <source>The header names the column &quot;%1&quot; twice.</source>
        <translation>Die Kopfzeile nennt die Spalte „%1“ zweimal.</translation>
    </message>
    <message>
        <source>The header names no product and key columns.</source>
        <translation>Die Kopfzeile nennt keine Spalten für Produkt und Schlüssel.</translation>
    </message>
    <message>
        <source>The header needs the columns &quot;program&quot; and &quot;serial&quot;.</source>
        <translation>Die Kopfzeile braucht die Spalten „program“ und „serial“.</translation>
    </message>
    <message>
        <source>Row %1 (line %2)</source>
        <translation>Zeile %1 (Textzeile %2)</translation>
    </message>
    <message>
        <source>%1: %2 fields where the header has %3.</source>
        <translation>%1: %2 Felder, wo die Kopfzeile %3 hat.</translation>
    </message>
    <message>
        <source>The file has no header row.</source>
        <translation>Die Datei hat keine Kopfzeile.</translation>
    </message>
    <message>
        <source>The file holds a lone UTF-16 surrogate (%1) at byte %2.</source>
        <translation>Die Datei enthält ein einzelnes UTF-16-Surrogat (%1) an Byte %2.</translation>
    </message>
    <message>
        <source>Record %1: &quot;%2&quot; holds a lone UTF-16 surrogate (%3).</source>
        <translation>Datensatz %1: „%2“ enthält ein einzelnes UTF-16-Surrogat (%3).</translation>
    </message>
    <message>
        <source>The file is not valid JSON (at byte %1: %2).</source>
        <translation>Die Datei ist kein gültiges JSON (an Byte %1: %2).</translation>
    </message>
    <message>
        <source>The file is no Numira export of version 1.</source>
        <translation>Die Datei ist kein Numira-Export der Version 1.</translation>
    </message>
    <message>
        <source>Record %1</source>
        <translation>Datensatz %1</translation>
    </message>
    <message>
        <source>%1: not an object.</source>
        <translation>%1: kein Objekt.</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; is not a text.</source>
        <translation>%1: „%2“ ist kein Text.</translation>
    </message>
    <message numerus="yes">
        <source>The input is larger than %n bytes.</source>
        <translation>
            <numerusform>Die Eingabe ist größer als %n Byte.</numerusform>
            <numerusform>Die Eingabe ist größer als %n Byte.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RecordRule</name>
    <message>
        <source>The serial is empty.</source>
        <translation>Die Seriennummer ist leer.</translation>
    </message>
    <message>
        <source>The program name is empty.</source>
        <translation>Der Programmname ist leer.</translation>
    </message>
    <message>
        <source>The program name holds a line break.</source>
        <translation>Der Programmname enthält einen Zeilenumbruch.</translation>
    </message>
    <message>
        <source>The program name holds no visible character.</source>
        <translation>Der Programmname enthält kein sichtbares Zeichen.</translation>
    </message>
</context>
<context>
    <name>RecordStore</name>
    <message>
        <source>Record %1: %2</source>
        <translation>Datensatz %1: %2</translation>
    </message>
    <message>
        <source>The import was cancelled.</source>
        <translation>Der Import wurde abgebrochen.</translation>
    </message>
    <message>
        <source> The import rebuilds it first.</source>
        <translation> Der Import baut ihn zuerst neu auf.</translation>
    </message>
    <message>
        <source> It was rebuilt before the records were stored.</source>
        <translation> Er wurde neu aufgebaut, bevor die Datensätze gespeichert wurden.</translation>
    </message>
</context>
<context>
    <name>RemoveCommand</name>
    <message>
        <source>Deletes one record; its program name stays.</source>
        <translation>Löscht einen Datensatz; sein Programmname bleibt.</translation>
    </message>
</context>
<context>
    <name>ScreenKit</name>
    <message>
        <source>This serial is already stored for %1. Add it anyway?</source>
        <translation>Diese Seriennummer ist für %1 bereits gespeichert. Trotzdem hinzufügen?</translation>
    </message>
    <message>
        <source>Serial</source>
        <translation>Seriennummer</translation>
    </message>
</context>
<context>
    <name>SearchCommand</name>
    <message>
        <source>--by is one of all, program, version, name, serial</source>
        <translation>--by ist eines von all, program, version, name, serial</translation>
    </message>
    <message>
        <source>Lists the records whose field contains KEYWORD, as the search screen finds them: letter case aside, with % matching any text and _ any one character. A KEYWORD that begins with - is given after --, as in: search -- -K9Z; before it, it is taken for an option.</source>
        <translation>Listet die Einträge, deren Feld KEYWORD enthält, wie die Suchseite sie findet: ohne Rücksicht auf Groß- und Kleinschreibung, % steht für beliebigen Text und _ für genau ein Zeichen. Ein KEYWORD, das mit - beginnt, steht nach --, etwa: search -- -K9Z; davor gilt es als Option.</translation>
    </message>
</context>
<context>
    <name>SearchIndexDialog</name>
    <message>
        <source>Preparing the search index of your database...</source>
        <translation>Der Suchindex Ihrer Datenbank wird vorbereitet...</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
</context>
<context>
    <name>SearchScreen</name>
    <message>
        <source>Search: </source>
        <translation>Suche: </translation>
    </message>
    <message>
        <source>Keywords:</source>
        <translation>Stichwörter:</translation>
    </message>
    <message>
        <source>Search By:</source>
        <translation>Suchen in:</translation>
    </message>
    <message>
        <source>&amp;Search</source>
        <translation>&amp;Suchen</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>Programm</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>&amp;Look Closer</source>
        <translation>&amp;Details</translation>
    </message>
    <message>
        <source>All</source>
        <translation>Alle</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Serial</source>
        <translation>Seriennummer</translation>
    </message>
    <message>
        <source>Searching... (Esc cancels)</source>
        <translation>Suche läuft... (Esc bricht ab)</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Keine</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>Ergebnisse</translation>
    </message>
    <message>
        <source>Found!</source>
        <translation>gefunden!</translation>
    </message>
    <message>
        <source>The search could not be run!</source>
        <translation>Die Suche konnte nicht ausgeführt werden!</translation>
    </message>
    <message>
        <source>Search cancelled</source>
        <translation>Suche abgebrochen</translation>
    </message>
    <message>
        <source>Search Results</source>
        <translation>Suchergebnisse</translation>
    </message>
</context>
<context>
    <name>ServerAddressDialog</name>
    <message>
        <source>Open Database on a Server</source>
        <translation>Datenbank auf einem Server öffnen</translation>
    </message>
    <message>
        <source>Server &amp;address:</source>
        <translation>Server&amp;adresse:</translation>
    </message>
    <message>
        <source>A PostgreSQL connection URI such as postgresql://user@host:5432/numira, or a service of pg_service.conf such as service=licences. The password comes from ~/.pgpass or the service file, else Numira asks for it.</source>
        <translation>Eine PostgreSQL-Verbindungs-URI wie postgresql://benutzer@host:5432/numira oder ein Service aus pg_service.conf wie service=lizenzen. Das Passwort kommt aus ~/.pgpass oder der Service-Datei, sonst fragt Numira danach.</translation>
    </message>
    <message>
        <source>&amp;Connect</source>
        <translation>&amp;Verbinden</translation>
    </message>
</context>
<context>
    <name>ServerBackend</name>
    <message>
        <source>The connection to the database server was lost.</source>
        <translation>Die Verbindung zum Datenbankserver ist verloren gegangen.</translation>
    </message>
    <message>
        <source>The database server is busy; please try again.</source>
        <translation>Der Datenbankserver ist beschäftigt; bitte versuchen Sie es noch einmal.</translation>
    </message>
    <message>
        <source>The database server&apos;s disk is full.</source>
        <translation>Der Datenträger des Datenbankservers ist voll.</translation>
    </message>
    <message>
        <source>The database server cannot store a text that holds a NUL character or is not valid UTF-8.</source>
        <translation>Der Datenbankserver kann keinen Text speichern, der ein NUL-Zeichen enthält oder kein gültiges UTF-8 ist.</translation>
    </message>
    <message>
        <source>The database refused the request (%1).</source>
        <translation>Die Datenbank hat die Anfrage abgelehnt (%1).</translation>
    </message>
</context>
<context>
    <name>ServerConnection</name>
    <message>
        <source>The database server refused the password.</source>
        <translation>Der Datenbankserver hat das Passwort abgelehnt.</translation>
    </message>
    <message>
        <source>The database server of &quot;%1&quot; cannot be reached (%2).</source>
        <translation>Der Datenbankserver von „%1“ ist nicht erreichbar (%2).</translation>
    </message>
    <message>
        <source>The database server of &quot;%1&quot; asks for a password.</source>
        <translation>Der Datenbankserver von „%1“ verlangt ein Passwort.</translation>
    </message>
    <message>
        <source>Numira cannot reach database servers on this computer: Qt&apos;s PostgreSQL driver is not installed.</source>
        <translation>Numira kann auf diesem Computer keine Datenbankserver erreichen: der PostgreSQL-Treiber von Qt ist nicht installiert.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; holds tables of another program and not Numira&apos;s.</source>
        <translation>„%1“ enthält Tabellen eines anderen Programms und nicht die von Numira.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was made by a later version of Numira.</source>
        <translation>„%1“ wurde von einer neueren Version von Numira angelegt.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; holds the tables of an earlier version of Numira, which you may not change. Its owner, or another user who may change its tables, must open it once with this version of Numira.</source>
        <translation>„%1“ enthält die Tabellen einer früheren Version von Numira, die Sie nicht ändern dürfen. Der Eigentümer oder ein anderer Benutzer, der die Tabellen ändern darf, muss sie einmal mit dieser Version von Numira öffnen.</translation>
    </message>
</context>
<context>
    <name>ShowCommand</name>
    <message>
        <source>--field is one of %1</source>
        <translation>--field ist eines von %1</translation>
    </message>
    <message>
        <source>Shows one record with its details (email, url, purchased, expires, seats, order, notes; empty where not recorded). With --field, prints that one value exactly as stored, with no quoting and no line end added (one is added on a terminal).</source>
        <translation>Zeigt einen Eintrag mit seinen Details (email, url, purchased, expires, seats, order, notes; leer, wo nichts erfasst ist). Mit --field wird genau dieser eine Wert so ausgegeben, wie er gespeichert ist, ohne Anführungszeichen und ohne angehängtes Zeilenende (im Terminal wird eines angehängt).</translation>
    </message>
</context>
<context>
    <name>SingleInstance</name>
    <message>
        <source>Numira cannot create its lock file &quot;%1&quot;.</source>
        <translation>Numira kann seine Sperrdatei „%1“ nicht anlegen.</translation>
    </message>
</context>
<context>
    <name>SkinChoice</name>
    <message>
        <source>Invalid Skin INI File!  No Changes Made!</source>
        <translation>Ungültige Skin-INI-Datei!  Nichts geändert!</translation>
    </message>
    <message>
        <source>Change Skin</source>
        <translation>Skin wechseln</translation>
    </message>
    <message>
        <source>Skin INI File (*.ini)|*.ini| </source>
        <translation>Skin-INI-Datei (*.ini)|*.ini| </translation>
    </message>
    <message>
        <source>Skin will be loaded next time you run Numira!</source>
        <translation>Der Skin wird beim nächsten Start von Numira geladen!</translation>
    </message>
</context>
<context>
    <name>SqliteDriver</name>
    <message>
        <source>Error opening database</source>
        <translation>Fehler beim Öffnen der Datenbank</translation>
    </message>
    <message>
        <source>Error closing database</source>
        <translation>Fehler beim Schließen der Datenbank</translation>
    </message>
    <message>
        <source>Unable to begin transaction</source>
        <translation>Die Transaktion kann nicht begonnen werden</translation>
    </message>
    <message>
        <source>Unable to commit transaction</source>
        <translation>Die Transaktion kann nicht abgeschlossen werden</translation>
    </message>
    <message>
        <source>Unable to rollback transaction</source>
        <translation>Die Transaktion kann nicht zurückgenommen werden</translation>
    </message>
</context>
<context>
    <name>StartupRules</name>
    <message>
        <source>The folder &quot;%1&quot; could not be made.</source>
        <translation>Der Ordner „%1“ konnte nicht angelegt werden.</translation>
    </message>
    <message>
        <source>The empty database &quot;%1&quot; could not be read: %2</source>
        <translation>Die leere Datenbank „%1“ konnte nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The database &quot;%1&quot; could not be made: %2</source>
        <translation>Die Datenbank „%1“ konnte nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>Numira keeps its lock in &quot;%1&quot;, which must be a folder of your own that no one else may use.</source>
        <translation>Numira legt seine Sperre in „%1“ ab; das muss ein eigener Ordner sein, den niemand sonst benutzen darf.</translation>
    </message>
    <message>
        <source>NotConnected.htm</source>
        <comment>the file of the offline start page in this language</comment>
        <translation>NotConnected_de.htm</translation>
    </message>
</context>
<context>
    <name>StoreError</name>
    <message>
        <source>No database is open!  Please choose your database with &quot;DB&quot; &gt; &quot;Open Database&quot; first.</source>
        <translation>Es ist keine Datenbank geöffnet!  Bitte wählen Sie zuerst Ihre Datenbank mit „DB“ &gt; „Datenbank öffnen“.</translation>
    </message>
    <message>
        <source>The database file is in use by another program.</source>
        <translation>Die Datenbankdatei wird von einem anderen Programm benutzt.</translation>
    </message>
    <message>
        <source>The database file is damaged!  Numira leaves it as it is, so that nothing more is lost.  Please open your latest backup of it instead.</source>
        <translation>Die Datenbankdatei ist beschädigt!  Numira lässt sie, wie sie ist, damit nichts weiter verloren geht.  Bitte öffnen Sie stattdessen Ihre letzte Sicherung.</translation>
    </message>
    <message>
        <source>The database&apos;s index %1 does not match its records; the records themselves are whole, and rebuilding the index from them mends the file.</source>
        <translation>Der Index %1 der Datenbank passt nicht zu ihren Datensätzen; die Datensätze selbst sind vollständig, und ein Neuaufbau des Index aus ihnen repariert die Datei.</translation>
    </message>
    <message>
        <source>The disk is full.</source>
        <translation>Der Datenträger ist voll.</translation>
    </message>
    <message>
        <source>You may not change this database.</source>
        <translation>Sie dürfen diese Datenbank nicht ändern.</translation>
    </message>
    <message>
        <source>The passphrase is not right.</source>
        <translation>Die Passphrase ist nicht richtig.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is protected by a passphrase.</source>
        <translation>„%1“ ist durch eine Passphrase geschützt.</translation>
    </message>
</context>
<context>
    <name>TargetFile</name>
    <message>
        <source>No file is named.</source>
        <translation>Es ist keine Datei angegeben.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be examined (%2).</source>
        <translation>„%1“ kann nicht geprüft werden (%2).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a symbolic link that another user owns in a shared folder; it is not followed.</source>
        <translation>„%1“ ist ein symbolischer Link, der in einem gemeinsamen Ordner einem anderen Benutzer gehört; ihm wird nicht gefolgt.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; leads through &quot;%2&quot;, a symbolic link that another user owns in a shared folder; it is not followed.</source>
        <translation>„%1“ führt über „%2“, einen symbolischen Link, der in einem gemeinsamen Ordner einem anderen Benutzer gehört; ihm wird nicht gefolgt.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; leads through too many symbolic links.</source>
        <translation>„%1“ führt über zu viele symbolische Links.</translation>
    </message>
    <message>
        <source>not an ordinary file</source>
        <translation>keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>a folder</source>
        <translation>ein Ordner</translation>
    </message>
    <message>
        <source>a device</source>
        <translation>ein Gerät</translation>
    </message>
    <message>
        <source>a named pipe</source>
        <translation>eine benannte Pipe</translation>
    </message>
    <message>
        <source>a socket</source>
        <translation>ein Socket</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is %2, not a file; it is left as it is.</source>
        <translation>„%1“ ist %2, keine Datei; es bleibt, wie es ist.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a file; it is left as it is.</source>
        <translation>„%1“ ist keine Datei; es bleibt, wie es ist.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be written (%2).</source>
        <translation>„%1“ kann nicht geschrieben werden (%2).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be written (%2).</source>
        <translation>„%1“ konnte nicht geschrieben werden (%2).</translation>
    </message>
    <message>
        <source>it was not begun</source>
        <translation>es wurde nicht begonnen</translation>
    </message>
    <message>
        <source>it changed while it was written</source>
        <translation>es hat sich beim Schreiben geändert</translation>
    </message>
</context>
<context>
    <name>TrayManager</name>
    <message>
        <source>&amp;Show Numira</source>
        <translation>Numira &amp;zeigen</translation>
    </message>
    <message>
        <source>&amp;Add Serial...</source>
        <translation>Seriennummer &amp;hinzufügen...</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Expiring Licences...</source>
        <translation>&amp;Ablaufende Lizenzen...</translation>
    </message>
</context>
<context>
    <name>UnprotectCommand</name>
    <message>
        <source>Takes the passphrase off a protected database: the file is plain SQLite again.</source>
        <translation>Nimmt die Passphrase von einer geschützten Datenbank: die Datei ist wieder einfaches SQLite.</translation>
    </message>
</context>
<context>
    <name>numira-cli</name>
    <message>
        <source>argument %1 is not UTF-8 text; nothing was done (see numira-cli --help)</source>
        <translation>Argument %1 ist kein UTF-8-Text; es wurde nichts getan (siehe numira-cli --help)</translation>
    </message>
</context>
</TS>
