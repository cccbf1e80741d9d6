<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>AboutText</name>
    <message>
        <source>comments.txt</source>
        <comment>the file of the About window&apos;s text in this language</comment>
        <translation>comments_fr.txt</translation>
    </message>
</context>
<context>
    <name>AboutWindow</name>
    <message>
        <source>Sam Ortega, Jo Lindqvist, Kit Adebayo and thanks to all others!</source>
        <translation>Sam Ortega, Jo Lindqvist, Kit Adebayo et merci à tous les autres&#xa0;!</translation>
    </message>
    <message>
        <source>About...</source>
        <translation>À propos...</translation>
    </message>
    <message>
        <source>About Numira:</source>
        <translation>À propos de Numira&#xa0;:</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>Version&#xa0;:</translation>
    </message>
    <message>
        <source>Programmer:</source>
        <translation>Programmeur&#xa0;:</translation>
    </message>
    <message>
        <source>E-mail the programmer!</source>
        <translation>Écrire au programmeur&#xa0;!</translation>
    </message>
    <message>
        <source>Graphics Artist and Site Designer:</source>
        <translation>Graphisme et conception du site&#xa0;:</translation>
    </message>
    <message>
        <source>E-mail the graphics artist!</source>
        <translation>Écrire au graphiste&#xa0;!</translation>
    </message>
    <message>
        <source>Website:</source>
        <translation>Site web&#xa0;:</translation>
    </message>
    <message>
        <source>Visit the website!</source>
        <translation>Visiter le site web&#xa0;!</translation>
    </message>
    <message>
        <source>Beta Testers:</source>
        <translation>Bêta-testeurs&#xa0;:</translation>
    </message>
    <message>
        <source>Options:</source>
        <translation>Options&#xa0;:</translation>
    </message>
    <message>
        <source>Use Quick Add Shortcut in the Web Browser</source>
        <translation>Ajout rapide depuis le navigateur web</translation>
    </message>
    <message>
        <source>Leave Checked to enable Quick Add Capability!</source>
        <translation>Laisser coché pour permettre l’ajout rapide&#xa0;!</translation>
    </message>
    <message>
        <source>The quick add was not changed!  %1</source>
        <translation>L’ajout rapide n’a pas été modifié&#xa0;!  %1</translation>
    </message>
</context>
<context>
    <name>AddCommand</name>
    <message>
        <source>Stores a record dated now and prints its id. A record needs a program and a serial; the version and the name may be empty. The program name is one line and holds a visible character. A program named apart from letter case as a stored one goes under the stored one. --serial - reads the serial from standard input (one line end at its end is dropped). A serial already stored for the program (letter case, blanks and dashes aside) is refused unless --allow-duplicate.</source>
        <translation>Enregistre une fiche datée de maintenant et affiche son identifiant. Une fiche demande un programme et un numéro de série&#xa0;; la version et le nom peuvent être vides. Le nom du programme tient sur une ligne et contient un caractère visible. Un programme dont le nom ne diffère d’un programme enregistré que par la casse est rangé sous celui-ci. --serial - lit le numéro de série sur l’entrée standard (une fin de ligne à sa fin est retirée). Un numéro de série déjà enregistré pour le programme (casse, espaces et tirets mis à part) est refusé, sauf avec --allow-duplicate.</translation>
    </message>
    <message>
        <source>add needs %1</source>
        <translation>add demande %1</translation>
    </message>
</context>
<context>
    <name>AddScreen</name>
    <message>
        <source>New Program</source>
        <translation>Nouveau programme</translation>
    </message>
    <message>
        <source>Program:</source>
        <translation>Programme&#xa0;:</translation>
    </message>
    <message>
        <source> (New Program if not listed)</source>
        <translation> (Nouveau si absent)</translation>
    </message>
    <message>
        <source>New Program Name:</source>
        <translation>Nom du nouveau programme&#xa0;:</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>Version&#xa0;:</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Nom&#xa0;:</translation>
    </message>
    <message>
        <source>Serial:</source>
        <translation>Numéro de série&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>The program list could not be read!</source>
        <translation>La liste des programmes n’a pas pu être lue&#xa0;!</translation>
    </message>
    <message>
        <source>Error!</source>
        <translation>Erreur&#xa0;!</translation>
    </message>
    <message>
        <source>The serial was not added!</source>
        <translation>Le numéro de série n’a pas été ajouté&#xa0;!</translation>
    </message>
    <message>
        <source>Serial Successfully Added!</source>
        <translation>Numéro de série ajouté avec succès&#xa0;!</translation>
    </message>
    <message>
        <source>  It was stored under the existing program &quot;%1&quot;.</source>
        <translation>  Il a été rangé sous le programme existant «&#xa0;%1&#xa0;».</translation>
    </message>
    <message>
        <source>Success!</source>
        <translation>Succès&#xa0;!</translation>
    </message>
    <message>
        <source>&amp;Details...</source>
        <translation>&amp;Détails...</translation>
    </message>
    <message>
        <source>The details were not saved!</source>
        <translation>Les détails n&apos;ont pas été enregistrés !</translation>
    </message>
    <message>
        <source>The record no longer exists.</source>
        <translation>L&apos;enregistrement n&apos;existe plus.</translation>
    </message>
</context>
<context>
    <name>Backup</name>
    <message>
        <source>Writing the copy failed: %1</source>
        <translation>L’écriture de la copie a échoué&#xa0;: %1</translation>
    </message>
    <message>
        <source>The copy does not read back whole: %1</source>
        <translation>La copie ne se relit pas en entier&#xa0;: %1</translation>
    </message>
    <message>
        <source>There is no database file at &quot;%1&quot;.</source>
        <translation>Il n’y a pas de fichier de base de données à «&#xa0;%1&#xa0;».</translation>
    </message>
    <message>
        <source>A folder of that name is in the way.</source>
        <translation>Un dossier de ce nom est dans le passage.</translation>
    </message>
    <message>
        <source>No file can be written in &quot;%1&quot;: %2</source>
        <translation>Aucun fichier ne peut être écrit dans «&#xa0;%1&#xa0;»&#xa0;: %2</translation>
    </message>
    <message>
        <source>The copy cannot take the database&apos;s permissions: %1</source>
        <translation>La copie ne peut pas prendre les droits de la base de données&#xa0;: %1</translation>
    </message>
    <message>
        <source>The copy cannot be flushed to disk: %1</source>
        <translation>La copie ne peut pas être écrite sur le disque&#xa0;: %1</translation>
    </message>
    <message>
        <source>The copy cannot take the target&apos;s name: %1</source>
        <translation>La copie ne peut pas prendre le nom de la cible&#xa0;: %1</translation>
    </message>
    <message>
        <source>The backup is written, but its folder cannot be flushed to disk: %1</source>
        <translation>La sauvegarde est écrite, mais son dossier ne peut pas être écrit sur le disque&#xa0;: %1</translation>
    </message>
    <message>
        <source>%1 The backup&apos;s copy has the index rebuilt; the database itself is left as it is.</source>
        <translation>%1 La copie de sauvegarde a son index reconstruit&#xa0;; la base de données elle-même reste telle quelle.</translation>
    </message>
</context>
<context>
    <name>BoundedFile</name>
    <message>
        <source>No file is named.</source>
        <translation>Aucun fichier n’est nommé.</translation>
    </message>
</context>
<context>
    <name>BrowseScreen</name>
    <message>
        <source>Delete &amp;Program</source>
        <translation>Suppr. &amp;prog.</translation>
    </message>
    <message>
        <source>&amp;Search</source>
        <translation>Re&amp;chercher</translation>
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
        <translation>Nom</translation>
    </message>
    <message>
        <source>Serial</source>
        <translation>Numéro de série</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>&amp;Look Closer</source>
        <translation>&amp;Détails</translation>
    </message>
    <message>
        <source>The program list could not be read!</source>
        <translation>La liste des programmes n’a pas pu être lue&#xa0;!</translation>
    </message>
    <message>
        <source>The serials of this program could not be read!</source>
        <translation>Les numéros de série de ce programme n’ont pas pu être lus&#xa0;!</translation>
    </message>
    <message>
        <source>N/A</source>
        <translation>N/D</translation>
    </message>
    <message>
        <source>Delete the selected Program?</source>
        <translation>Supprimer le programme choisi&#xa0;?</translation>
    </message>
    <message>
        <source>The program was not deleted!</source>
        <translation>Le programme n’a pas été supprimé&#xa0;!</translation>
    </message>
    <message>
        <source>Program has 1 or more serials referenced to it.  Delete those serials first!</source>
        <translation>Des numéros de série renvoient encore à ce programme.  Supprimez d’abord ces numéros&#xa0;!</translation>
    </message>
    <message>
        <source>Program Doesn&apos;t Exist and therefore cannot be deleted!</source>
        <translation>Le programme n’existe pas et ne peut donc pas être supprimé&#xa0;!</translation>
    </message>
    <message>
        <source>Program has been deleted!</source>
        <translation>Le programme a été supprimé&#xa0;!</translation>
    </message>
    <message>
        <source>Program:</source>
        <translation>Programme :</translation>
    </message>
    <message>
        <source>Records</source>
        <translation>Enregistrements</translation>
    </message>
</context>
<context>
    <name>ChangePassphraseCommand</name>
    <message>
        <source>Gives a protected database a new passphrase.</source>
        <translation>Donne une nouvelle phrase secrète à une base de données protégée.</translation>
    </message>
</context>
<context>
    <name>CliArguments</name>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 demande une valeur</translation>
    </message>
</context>
<context>
    <name>CliPassphrase</name>
    <message>
        <source>The passphrase cannot be read from descriptor %1.</source>
        <translation>La phrase secrète ne peut pas être lue sur le descripteur %1.</translation>
    </message>
    <message>
        <source>The passphrase is empty.</source>
        <translation>La phrase secrète est vide.</translation>
    </message>
    <message>
        <source>The database is protected by a passphrase, and there is no terminal to ask it on; give it with --passphrase-fd N.</source>
        <translation>La base de données est protégée par une phrase secrète, et aucun terminal ne permet de la demander&#xa0;; donnez-la avec --passphrase-fd N.</translation>
    </message>
    <message>
        <source>Again: </source>
        <translation>Encore une fois&#xa0;: </translation>
    </message>
    <message>
        <source>The two passphrases differ.</source>
        <translation>Les deux phrases secrètes diffèrent.</translation>
    </message>
    <message numerus="yes">
        <source>The passphrase is longer than %n bytes.</source>
        <translation>
            <numerusform>La phrase secrète dépasse %n octet.</numerusform>
            <numerusform>La phrase secrète dépasse %n octets.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ClipboardGuard</name>
    <message>
        <source>%1 copied</source>
        <translation>%1 copié</translation>
    </message>
    <message>
        <source>%1 copied: cleared in %2 s</source>
        <translation>%1 copié&#xa0;: effacé dans %2&#xa0;s</translation>
    </message>
    <message>
        <source>Serial</source>
        <translation>Numéro de série</translation>
    </message>
</context>
<context>
    <name>Command</name>
    <message>
        <source>%1 (see %2)</source>
        <translation>%1 (voir %2)</translation>
    </message>
    <message>
        <source>warning: %1</source>
        <translation>avertissement&#xa0;: %1</translation>
    </message>
    <message>
        <source>Numira has no database in use; name one with --db FILE.</source>
        <translation>Numira n’a pas de base de données en usage&#xa0;; nommez-en une avec --db FICHIER.</translation>
    </message>
    <message>
        <source>%1 It was rebuilt.</source>
        <translation>%1 Il a été reconstruit.</translation>
    </message>
    <message>
        <source>removed &quot;%1&quot;, left by a passphrase change that was cut short</source>
        <translation>«&#xa0;%1&#xa0;» supprimé, laissé par un changement de phrase secrète interrompu</translation>
    </message>
    <message>
        <source>--passphrase-fd takes a file descriptor number.</source>
        <translation>--passphrase-fd prend un numéro de descripteur de fichier.</translation>
    </message>
    <message>
        <source>Passphrase of %1</source>
        <translation>Phrase secrète de %1</translation>
    </message>
    <message>
        <source>The database is not protected by a passphrase.</source>
        <translation>La base de données n’est pas protégée par une phrase secrète.</translation>
    </message>
    <message>
        <source>--new-passphrase-fd takes a file descriptor number.</source>
        <translation>--new-passphrase-fd prend un numéro de descripteur de fichier.</translation>
    </message>
    <message>
        <source>New passphrase</source>
        <translation>Nouvelle phrase secrète</translation>
    </message>
    <message>
        <source>--format is one of %1</source>
        <translation>--format est l’un de %1</translation>
    </message>
    <message>
        <source>No record has the id %1.</source>
        <translation>Aucune fiche n’a l’identifiant %1.</translation>
    </message>
    <message>
        <source>This serial is already stored for %1 as record %2; --allow-duplicate adds it anyway.</source>
        <translation>Ce numéro de série est déjà enregistré pour %1 comme fiche %2&#xa0;; --allow-duplicate l’ajoute quand même.</translation>
    </message>
    <message>
        <source>This serial is already stored for %1 as record %2; --allow-duplicate stores it anyway.</source>
        <translation>Ce numéro de série est déjà enregistré pour %1 comme fiche %2&#xa0;; --allow-duplicate l’enregistre quand même.</translation>
    </message>
    <message>
        <source>DETAILS, each optional: --email E, --url U, --purchased DATE, --expires DATE, --seats N (a whole number of 0 or more), --order O, --notes TEXT (--notes - reads standard input), and --clear FIELD (repeated, or FIELD,FIELD) to empty email, url, purchased, expires, seats, order or notes. A DATE is YYYY-MM-DD; anything else is refused with exit status 2.</source>
        <translation>DETAILS, tous facultatifs : --email E, --url U, --purchased DATE, --expires DATE, --seats N (un nombre entier de 0 ou plus), --order O, --notes TEXT (--notes - lit l&apos;entrée standard) et --clear FIELD (répété, ou FIELD,FIELD) pour vider email, url, purchased, expires, seats, order ou notes. Une DATE s&apos;écrit YYYY-MM-DD ; toute autre forme est refusée avec le code de sortie 2.</translation>
    </message>
    <message>
        <source>--clear takes one of %1</source>
        <translation>--clear prend l&apos;un de %1</translation>
    </message>
    <message>
        <source>--%1 is both given and cleared</source>
        <translation>--%1 est à la fois donné et vidé</translation>
    </message>
    <message>
        <source>only one of --serial and --notes can read standard input</source>
        <translation>seul l&apos;un de --serial et --notes peut lire l&apos;entrée standard</translation>
    </message>
</context>
<context>
    <name>CommandDispatcher</name>
    <message>
        <source>Usage: %1 [--db DATABASE] %2

%3
</source>
        <translation>Usage&#xa0;: %1 [--db BASE] %2

%3
</translation>
    </message>
    <message>
        <source>
%1 COMMAND --help describes one command.
</source>
        <translation>
%1 COMMANDE --help décrit une commande.
</translation>
    </message>
    <message>
        <source>cannot write the output: %1</source>
        <translation>impossible d’écrire la sortie&#xa0;: %1</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>aucune commande donnée</translation>
    </message>
    <message>
        <source>no command &quot;%1&quot;</source>
        <translation>pas de commande «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>%1 takes no %2</source>
        <translation>%1 ne prend pas %2</translation>
    </message>
    <message>
        <source>wrong number of arguments; usage: %1</source>
        <translation>nombre d’arguments erroné&#xa0;; usage&#xa0;: %1</translation>
    </message>
    <message>
        <source>%1 takes no %2; a value that begins with - goes after --</source>
        <translation>%1 n&apos;accepte pas %2 ; une valeur qui commence par - se place après --</translation>
    </message>
    <message>
        <source>Usage: %1 [--db DATABASE] COMMAND [ARGUMENTS]

Reads and changes Numira&apos;s serial numbers. --db names the database: a file, or a PostgreSQL server as postgresql://user@host:port/db or service=NAME (its password from ~/.pgpass or the service file); without it, the database Numira has in use. A protected database&apos;s passphrase is read from descriptor N with --passphrase-fd N, else taken from the keyring, else asked on the terminal.
Output is an aligned table on a terminal and TSV otherwise; --format table|tsv|csv|json chooses. A table fits the terminal&apos;s width, long values cut with an ellipsis; --wide shows them whole.
Exit status: 0 done, 1 failed, 2 wrong command line. --version prints the version.
A record may have details: e-mail, URL, purchase and expiry dates (YYYY-MM-DD), seats, order number and notes. add and edit take them, show prints them, JSON lists carry them, and expiring lists the licences that run out soon.

Commands:
</source>
        <translation>Usage : %1 [--db DATABASE] COMMAND [ARGUMENTS]

Lit et modifie les numéros de série de Numira. --db désigne la base de données : un fichier, ou un serveur PostgreSQL sous la forme postgresql://user@host:port/db ou service=NAME (son mot de passe vient de ~/.pgpass ou du fichier de services) ; sans lui, la base de données utilisée par Numira. La phrase secrète d&apos;une base protégée est lue dans le descripteur N avec --passphrase-fd N, sinon prise dans le trousseau, sinon demandée dans le terminal.
La sortie est un tableau aligné dans un terminal et du TSV sinon ; --format table|tsv|csv|json choisit. Un tableau tient dans la largeur du terminal, les valeurs longues coupées par des points de suspension ; --wide les montre en entier.
Code de sortie : 0 fait, 1 échec, 2 ligne de commande erronée. --version affiche la version.
Un enregistrement peut avoir des détails : e-mail, URL, dates d&apos;achat et d&apos;expiration (YYYY-MM-DD), postes, numéro de commande et notes. add et edit les acceptent, show les affiche, les listes JSON les contiennent, et expiring liste les licences qui arrivent bientôt à échéance.

Commandes :
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
        <translation>Usage&#xa0;: numira [TEXTE...]
        numira --add-serial=TEXTE
        numira -h | --help | --version

Garde vos numéros de série de logiciels. Tout texte sur la ligne de commande
ouvre l’écran d’ajout avec ce texte comme numéro de série&#xa0;; un Numira déjà lancé
le reçoit à sa place. --add-serial= sans texte ouvre l’écran d’ajout vide.
</translation>
    </message>
</context>
<context>
    <name>CommandOutput</name>
    <message>
        <source>Nothing could be written</source>
        <translation>Rien n’a pu être écrit</translation>
    </message>
</context>
<context>
    <name>Compaction</name>
    <message>
        <source>The disk is full.</source>
        <translation>Le disque est plein.</translation>
    </message>
    <message>
        <source>The database cannot be compacted: %1</source>
        <translation>La base de données ne peut pas être compactée&#xa0;: %1</translation>
    </message>
    <message>
        <source>The database&apos;s size cannot be read.</source>
        <translation>La taille de la base de données ne peut pas être lue.</translation>
    </message>
    <message>
        <source>There is no database file at &quot;%1&quot;.</source>
        <translation>Il n’y a pas de fichier de base de données à «&#xa0;%1&#xa0;».</translation>
    </message>
    <message>
        <source>The database &quot;%1&quot; is read-only and is left as it is.</source>
        <translation>La base de données «&#xa0;%1&#xa0;» est en lecture seule et reste telle quelle.</translation>
    </message>
    <message>
        <source>The database is compacted, but its folder cannot be flushed to disk: %1</source>
        <translation>La base de données est compactée, mais son dossier ne peut pas être écrit sur le disque&#xa0;: %1</translation>
    </message>
</context>
<context>
    <name>CopyCommand</name>
    <message>
        <source>Copies every record of one database into another, in one transaction on the target: a database file to a PostgreSQL server (postgresql://user@host/db or service=NAME) and back, or any two. The target&apos;s records stay; serials already stored there for their program are skipped and counted, as import does, unless --allow-duplicate. --dry-run stores nothing.</source>
        <translation>Copie chaque fiche d’une base de données dans une autre, en une transaction sur la cible&#xa0;: un fichier de base de données vers un serveur PostgreSQL (postgresql://utilisateur@hôte/base ou service=NOM) et retour, ou deux bases quelconques. Les fiches de la cible restent&#xa0;; les numéros de série déjà enregistrés là pour leur programme sont sautés et comptés, comme le fait import, sauf avec --allow-duplicate. --dry-run n’enregistre rien.</translation>
    </message>
    <message>
        <source>copy needs --from and --to</source>
        <translation>copy demande --from et --to</translation>
    </message>
    <message>
        <source>%1 Nothing was copied.</source>
        <translation>%1 Rien n’a été copié.</translation>
    </message>
    <message>
        <source>Read %1 records; would add %2 records (%3 new programs), would skip %4 duplicates.
</source>
        <translation>%1 fiches lues&#xa0;; ajouterait %2 fiches (%3 nouveaux programmes), sauterait %4 doublons.
</translation>
    </message>
    <message>
        <source>Read %1 records; added %2 records (%3 new programs), skipped %4 duplicates.
</source>
        <translation>%1 fiches lues&#xa0;; %2 fiches ajoutées (%3 nouveaux programmes), %4 doublons sautés.
</translation>
    </message>
</context>
<context>
    <name>DatabaseAddress</name>
    <message>
        <source>%1 on this computer</source>
        <translation>%1 sur cet ordinateur</translation>
    </message>
    <message>
        <source>%1 (service)</source>
        <translation>%1 (service)</translation>
    </message>
    <message>
        <source>%1 on %2</source>
        <translation>%1 sur %2</translation>
    </message>
</context>
<context>
    <name>DatabaseCommands</name>
    <message>
        <source>Error Opening Database!  Please select your database!</source>
        <translation>Erreur à l’ouverture de la base de données&#xa0;!  Veuillez choisir votre base&#xa0;!</translation>
    </message>
    <message>
        <source>Invalid Database Structure! Please make sure you only use databases specifically designed for this application!</source>
        <translation>Structure de base de données non valide&#xa0;! Veuillez n’utiliser que des bases conçues pour ce programme&#xa0;!</translation>
    </message>
    <message>
        <source>Database (*.mdb)|*.mdb| </source>
        <translation>Base de données (*.mdb)|*.mdb| </translation>
    </message>
    <message>
        <source>JSON (*.json)|*.json| </source>
        <translation>JSON (*.json)|*.json| </translation>
    </message>
    <message>
        <source>A passphrase protects a database file. A database on a server is protected by the server&apos;s own roles and rights.</source>
        <translation>Une phrase secrète protège un fichier de base de données. Une base sur un serveur est protégée par les rôles et les droits du serveur.</translation>
    </message>
    <message>
        <source>CSV (*.csv)|*.csv|Key finder CSV (*.csv)|*.csv|JSON (*.json)|*.json|TSV (*.tsv)|*.tsv|All Files (*)|*| </source>
        <translation>CSV (*.csv)|*.csv|CSV d’un key finder (*.csv)|*.csv|JSON (*.json)|*.json|TSV (*.tsv)|*.tsv|Tous les fichiers (*)|*| </translation>
    </message>
    <message>
        <source>CSV (*.csv)|*.csv|JSON (*.json)|*.json|TSV (*.tsv)|*.tsv|All Files (*)|*| </source>
        <translation>CSV (*.csv)|*.csv|JSON (*.json)|*.json|TSV (*.tsv)|*.tsv|Tous les fichiers (*)|*| </translation>
    </message>
    <message>
        <source>Error Opening Database!  %1</source>
        <translation>Erreur à l’ouverture de la base de données&#xa0;!  %1</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Ouvrir</translation>
    </message>
    <message>
        <source>Numira will now backup the database that you are currently using!  Please Select the Directory you would like to backup to and Click Save! Do you want to continue?</source>
        <translation>Numira va sauvegarder la base de données que vous utilisez&#xa0;!  Veuillez choisir le dossier de la sauvegarde et cliquer sur Enregistrer&#xa0;! Voulez-vous continuer&#xa0;?</translation>
    </message>
    <message>
        <source>Backup Serials...</source>
        <translation>Sauvegarder les numéros...</translation>
    </message>
    <message>
        <source>The backup to &quot;%1&quot; failed!  %2</source>
        <translation>La sauvegarde vers «&#xa0;%1&#xa0;» a échoué&#xa0;!  %2</translation>
    </message>
    <message>
        <source>Database Backup Complete!</source>
        <translation>Sauvegarde de la base de données terminée&#xa0;!</translation>
    </message>
    <message>
        <source>Database Backup Complete!  %1</source>
        <translation>Sauvegarde de la base de données terminée&#xa0;!  %1</translation>
    </message>
    <message>
        <source>Importing records...</source>
        <translation>Importation des fiches...</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>Import Records</source>
        <translation>Importer des fiches</translation>
    </message>
    <message>
        <source>Nothing was imported from &quot;%1&quot;!  %2</source>
        <translation>Rien n’a été importé de «&#xa0;%1&#xa0;»&#xa0;!  %2</translation>
    </message>
    <message>
        <source>Records imported: %1.  Duplicates skipped: %2.  New programs: %3.</source>
        <translation>Fiches importées&#xa0;: %1.  Doublons sautés&#xa0;: %2.  Nouveaux programmes&#xa0;: %3.</translation>
    </message>
    <message>
        <source>Export Records</source>
        <translation>Exporter des fiches</translation>
    </message>
    <message>
        <source>&amp;Spreadsheet-safe CSV: a &apos; before cells that begin with =, +, -, @</source>
        <translation>CSV sûr pour &amp;tableur&#xa0;: un &apos; devant les cellules qui commencent par =, +, -, @</translation>
    </message>
    <message>
        <source>&quot;%1&quot; already exists.  Do you want to replace it?</source>
        <translation>«&#xa0;%1&#xa0;» existe déjà.  Voulez-vous le remplacer&#xa0;?</translation>
    </message>
    <message numerus="yes">
        <source>Records exported: %n.</source>
        <translation>
            <numerusform>%n fiche exportée.</numerusform>
            <numerusform>%n fiches exportées.</numerusform>
        </translation>
    </message>
    <message>
        <source>The export to &quot;%1&quot; failed!  %2</source>
        <translation>L’exportation vers «&#xa0;%1&#xa0;» a échoué&#xa0;!  %2</translation>
    </message>
    <message>
        <source>  The index was rebuilt.</source>
        <translation>  L’index a été reconstruit.</translation>
    </message>
    <message>
        <source>A passphrase change of this database was cut short; what it left beside the database was removed: %1</source>
        <translation>Un changement de phrase secrète de cette base a été interrompu&#xa0;; ce qu’il avait laissé à côté de la base a été supprimé&#xa0;: %1</translation>
    </message>
    <message>
        <source>Passphrase</source>
        <translation>Phrase secrète</translation>
    </message>
    <message>
        <source>The database &quot;%1&quot; is protected. Enter its passphrase:</source>
        <translation>La base de données «&#xa0;%1&#xa0;» est protégée. Saisissez sa phrase secrète&#xa0;:</translation>
    </message>
    <message>
        <source>The keyring did not keep the passphrase: %1</source>
        <translation>Le trousseau n’a pas gardé la phrase secrète&#xa0;: %1</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Mot de passe</translation>
    </message>
    <message>
        <source>The server of &quot;%1&quot; asks for a password:</source>
        <translation>Le serveur de «&#xa0;%1&#xa0;» demande un mot de passe&#xa0;:</translation>
    </message>
    <message>
        <source>The server of &quot;%1&quot; asks for the password of %2:</source>
        <translation>Le serveur de «&#xa0;%1&#xa0;» demande le mot de passe de %2&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>&amp;Mot de passe&#xa0;:</translation>
    </message>
    <message>
        <source>The keyring did not keep the password: %1</source>
        <translation>Le trousseau n’a pas gardé le mot de passe&#xa0;: %1</translation>
    </message>
    <message>
        <source>The database is not protected by a passphrase.</source>
        <translation>La base de données n’est pas protégée par une phrase secrète.</translation>
    </message>
    <message>
        <source>Enter the database&apos;s current passphrase:</source>
        <translation>Saisissez la phrase secrète actuelle de la base de données&#xa0;:</translation>
    </message>
    <message>
        <source>Protect with Passphrase</source>
        <translation>Protéger par phrase secrète</translation>
    </message>
    <message>
        <source>The database is protected by a passphrase already.</source>
        <translation>La base de données est déjà protégée par une phrase secrète.</translation>
    </message>
    <message>
        <source>Numira will encrypt the database with this passphrase. Without it, nobody (not even you) can read the records again. Enter it twice:</source>
        <translation>Numira va chiffrer la base de données avec cette phrase secrète. Sans elle, personne (pas même vous) ne pourra relire les fiches. Saisissez-la deux fois&#xa0;:</translation>
    </message>
    <message>
        <source>The database is protected by the passphrase.  Older copies of the file and its backups are not.</source>
        <translation>La base de données est protégée par la phrase secrète.  Les copies plus anciennes du fichier et ses sauvegardes ne le sont pas.</translation>
    </message>
    <message>
        <source>Change Passphrase</source>
        <translation>Changer la phrase secrète</translation>
    </message>
    <message>
        <source>Enter the new passphrase twice:</source>
        <translation>Saisissez deux fois la nouvelle phrase secrète&#xa0;:</translation>
    </message>
    <message>
        <source>The passphrase is changed.</source>
        <translation>La phrase secrète est changée.</translation>
    </message>
    <message>
        <source>Remove Passphrase</source>
        <translation>Retirer la phrase secrète</translation>
    </message>
    <message>
        <source>The passphrase is removed: the database file is not encrypted any more.</source>
        <translation>La phrase secrète est retirée&#xa0;: le fichier de base de données n’est plus chiffré.</translation>
    </message>
    <message>
        <source>The database is protected by a passphrase, but the exported file is not: anyone who gets it can read every record.</source>
        <translation>La base de données est protégée par une phrase secrète, mais le fichier exporté ne l’est pas&#xa0;: quiconque l’obtient peut lire toutes les fiches.</translation>
    </message>
</context>
<context>
    <name>DatabaseCopy</name>
    <message>
        <source>The source and the target are the same database.</source>
        <translation>La source et la cible sont la même base de données.</translation>
    </message>
</context>
<context>
    <name>DatabaseLock</name>
    <message>
        <source>A database on a server does not lock: the server&apos;s own roles and rights protect it.</source>
        <translation>Une base de données sur un serveur ne se verrouille pas&#xa0;: les rôles et les droits du serveur la protègent.</translation>
    </message>
    <message>
        <source>Only a database protected by a passphrase can be locked (Protect with Passphrase...).</source>
        <translation>Seule une base protégée par une phrase secrète peut être verrouillée (Protéger par phrase secrète...).</translation>
    </message>
    <message>
        <source>No database is open.</source>
        <translation>Aucune base de données n’est ouverte.</translation>
    </message>
    <message>
        <source>The database is locked.</source>
        <translation>La base de données est verrouillée.</translation>
    </message>
    <message>
        <source>Lock the database now?  What you typed is kept in memory (never on disk) and comes back when you unlock it.</source>
        <translation>Verrouiller la base de données maintenant&#xa0;?  Ce que vous avez saisi est gardé en mémoire (jamais sur le disque) et revient au déverrouillage.</translation>
    </message>
    <message>
        <source>Unlock the database to add the serial from the web browser.</source>
        <translation>Déverrouillez la base de données pour ajouter le numéro de série venu du navigateur.</translation>
    </message>
    <message>
        <source>Lock Database</source>
        <translation>Verrouiller la base de données</translation>
    </message>
    <message>
        <source>The keyring keeps no passphrase for this database.</source>
        <translation>Le trousseau ne garde aucune phrase secrète pour cette base de données.</translation>
    </message>
</context>
<context>
    <name>DatabaseProtection</name>
    <message>
        <source>The database cannot be rewritten: %1</source>
        <translation>La base de données ne peut pas être réécrite&#xa0;: %1</translation>
    </message>
    <message>
        <source>The database &quot;%1&quot; is read-only and is left as it is.</source>
        <translation>La base de données «&#xa0;%1&#xa0;» est en lecture seule et reste telle quelle.</translation>
    </message>
    <message>
        <source>No new file can be made beside the database: %1</source>
        <translation>Aucun nouveau fichier ne peut être créé à côté de la base de données&#xa0;: %1</translation>
    </message>
    <message>
        <source>The new file cannot take the database&apos;s permissions.</source>
        <translation>Le nouveau fichier ne peut pas prendre les droits de la base de données.</translation>
    </message>
    <message>
        <source>The new file cannot be flushed to disk: %1</source>
        <translation>Le nouveau fichier ne peut pas être écrit sur le disque&#xa0;: %1</translation>
    </message>
    <message>
        <source>The new file cannot replace the database: %1</source>
        <translation>Le nouveau fichier ne peut pas remplacer la base de données&#xa0;: %1</translation>
    </message>
    <message>
        <source>The database is rewritten, but its folder cannot be flushed to disk: %1</source>
        <translation>La base de données est réécrite, mais son dossier ne peut pas être écrit sur le disque&#xa0;: %1</translation>
    </message>
    <message>
        <source>No key can be made for the passphrase.</source>
        <translation>Aucune clé ne peut être dérivée de la phrase secrète.</translation>
    </message>
    <message>
        <source>The passphrase is empty.</source>
        <translation>La phrase secrète est vide.</translation>
    </message>
    <message>
        <source>The database is protected already.</source>
        <translation>La base de données est déjà protégée.</translation>
    </message>
    <message>
        <source>The database is not protected by a passphrase.</source>
        <translation>La base de données n’est pas protégée par une phrase secrète.</translation>
    </message>
    <message>
        <source>strong</source>
        <translation>forte</translation>
    </message>
    <message>
        <source>fair</source>
        <translation>moyenne</translation>
    </message>
    <message>
        <source>weak</source>
        <translation>faible</translation>
    </message>
</context>
<context>
    <name>DatabaseSession</name>
    <message>
        <source>The connection to the database server was lost.</source>
        <translation>La connexion au serveur de base de données a été perdue.</translation>
    </message>
    <message>
        <source>The key of &quot;%1&quot; cannot be derived.</source>
        <translation>La clé de «&#xa0;%1&#xa0;» ne peut pas être dérivée.</translation>
    </message>
</context>
<context>
    <name>DetailsDialog</name>
    <message>
        <source>Licence Details</source>
        <translation>Détails de la licence</translation>
    </message>
    <message>
        <source>Licence Details: %1</source>
        <translation>Détails de la licence : %1</translation>
    </message>
    <message>
        <source>Open in &amp;Browser</source>
        <translation>Ouvrir dans le &amp;navigateur</translation>
    </message>
    <message>
        <source>&amp;Purchased:</source>
        <translation>&amp;Acheté le :</translation>
    </message>
    <message>
        <source>E&amp;xpires:</source>
        <translation>E&amp;xpire le :</translation>
    </message>
    <message>
        <source>&amp;E-mail:</source>
        <translation>&amp;E-mail :</translation>
    </message>
    <message>
        <source>&amp;Address (URL):</source>
        <translation>Adresse (&amp;URL) :</translation>
    </message>
    <message>
        <source>&amp;Seats:</source>
        <translation>&amp;Postes :</translation>
    </message>
    <message>
        <source>O&amp;rder number:</source>
        <translation>N° de &amp;commande :</translation>
    </message>
    <message>
        <source>&amp;Notes:</source>
        <translation>N&amp;otes :</translation>
    </message>
    <message>
        <source>Error!</source>
        <translation>Erreur !</translation>
    </message>
    <message>
        <source>No browser could open %1.</source>
        <translation>Aucun navigateur n&apos;a pu ouvrir %1.</translation>
    </message>
</context>
<context>
    <name>DetailsForm</name>
    <message>
        <source>The e-mail address &quot;%1&quot; is not one: it needs a name, an @ and a domain.</source>
        <translation>« %1 » n&apos;est pas une adresse e-mail : il faut un nom, un @ et un domaine.</translation>
    </message>
    <message>
        <source>The address &quot;%1&quot; is not a web address.</source>
        <translation>« %1 » n&apos;est pas une adresse web.</translation>
    </message>
    <message>
        <source>Seats must be a whole number from 0 to %1.</source>
        <translation>Le nombre de postes doit être un entier de 0 à %1.</translation>
    </message>
    <message>
        <source>The licence cannot expire before it was purchased.</source>
        <translation>La licence ne peut pas expirer avant son achat.</translation>
    </message>
</context>
<context>
    <name>EditCommand</name>
    <message>
        <source>edit needs at least one of %1</source>
        <translation>edit demande au moins l’un de %1</translation>
    </message>
    <message>
        <source>Changes the given fields of a record and dates it now, under the rules of add: a serial that another record of the program already holds is refused unless --allow-duplicate. Details not named stay as they are.</source>
        <translation>Modifie les champs donnés d&apos;un enregistrement et le date de maintenant, selon les règles d&apos;add : un numéro de série qu&apos;un autre enregistrement du programme possède déjà est refusé sans --allow-duplicate. Les détails non nommés restent tels quels.</translation>
    </message>
</context>
<context>
    <name>EditScreen</name>
    <message>
        <source>The record no longer exists.</source>
        <translation>La fiche n’existe plus.</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>Version&#xa0;:</translation>
    </message>
    <message>
        <source>Registration Name:</source>
        <translation>Titulaire&#xa0;:</translation>
    </message>
    <message>
        <source>Serial Number:</source>
        <translation>N° de série&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>&amp;Delete Serial</source>
        <translation>&amp;Supprimer</translation>
    </message>
    <message>
        <source>&amp;Save Changes</source>
        <translation>&amp;Enregistrer</translation>
    </message>
    <message>
        <source>Co&amp;py</source>
        <translation>&amp;Copier</translation>
    </message>
    <message>
        <source>Copy the serial; the clipboard is cleared again after a while</source>
        <translation>Copier le numéro de série&#xa0;; le presse-papiers est vidé après un moment</translation>
    </message>
    <message>
        <source>The record could not be read!</source>
        <translation>La fiche n’a pas pu être lue&#xa0;!</translation>
    </message>
    <message>
        <source>Error!</source>
        <translation>Erreur&#xa0;!</translation>
    </message>
    <message>
        <source>Apply Edit?</source>
        <translation>Appliquer la modification&#xa0;?</translation>
    </message>
    <message>
        <source>The changes were not saved!</source>
        <translation>Les modifications n’ont pas été enregistrées&#xa0;!</translation>
    </message>
    <message>
        <source>Are you sure you want to delete the selected record?</source>
        <translation>Voulez-vous vraiment supprimer la fiche choisie&#xa0;?</translation>
    </message>
    <message>
        <source>Delete Selected Record?</source>
        <translation>Supprimer la fiche choisie&#xa0;?</translation>
    </message>
    <message>
        <source>The record was not deleted!</source>
        <translation>La fiche n’a pas été supprimée&#xa0;!</translation>
    </message>
    <message>
        <source>De&amp;tails...</source>
        <translation>Dé&amp;tails...</translation>
    </message>
    <message>
        <source>E-mail, address, dates, seats, order number and notes</source>
        <translation>E-mail, adresse, dates, postes, numéro de commande et notes</translation>
    </message>
    <message>
        <source>The details of the record could not be read!</source>
        <translation>Les détails de l&apos;enregistrement n&apos;ont pas pu être lus !</translation>
    </message>
    <message>
        <source>The details were not saved!</source>
        <translation>Les détails n&apos;ont pas été enregistrés !</translation>
    </message>
    <message>
        <source>Save the licence details you entered?</source>
        <translation>Enregistrer les détails de licence saisis ?</translation>
    </message>
    <message>
        <source>Save Details?</source>
        <translation>Enregistrer les détails ?</translation>
    </message>
</context>
<context>
    <name>EngineWebView</name>
    <message>
        <source>The web browser could not be started. Everything else in Numira works as usual.</source>
        <translation>Le navigateur web n&apos;a pas pu démarrer. Tout le reste de Numira fonctionne normalement.</translation>
    </message>
</context>
<context>
    <name>ExpiringCommand</name>
    <message>
        <source>Lists the records whose licence expires within DAYS days from today (30 without --within) or expired in the last 30 days, the soonest expiry first, with their expiry dates. Finding none is no failure.</source>
        <translation>Liste les enregistrements dont la licence expire dans les DAYS jours à venir (30 sans --within) ou a expiré dans les 30 derniers jours, l&apos;expiration la plus proche d&apos;abord, avec leurs dates d&apos;expiration. N&apos;en trouver aucun n&apos;est pas un échec.</translation>
    </message>
    <message>
        <source>--within takes a whole number of days from 0 to %1, not &quot;%2&quot;</source>
        <translation>--within prend un nombre entier de jours de 0 à %1, pas « %2 »</translation>
    </message>
</context>
<context>
    <name>ExpiringScreen</name>
    <message>
        <source>Expires</source>
        <translation>Expire le</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>Programme</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nom</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>&amp;Look Closer</source>
        <translation>&amp;Voir en détail</translation>
    </message>
    <message>
        <source>The expiring licences could not be read!</source>
        <translation>Les licences arrivant à échéance n&apos;ont pas pu être lues !</translation>
    </message>
    <message>
        <source>Expired</source>
        <translation>Expirée</translation>
    </message>
    <message>
        <source>Expires soon</source>
        <translation>Expire bientôt</translation>
    </message>
    <message>
        <source>No licence expires soon.</source>
        <translation>Aucune licence n&apos;expire bientôt.</translation>
    </message>
</context>
<context>
    <name>ExpiryMarkDelegate</name>
    <message>
        <source>Expired on %1</source>
        <translation>Expirée le %1</translation>
    </message>
    <message>
        <source>Expires on %1</source>
        <translation>Expire le %1</translation>
    </message>
</context>
<context>
    <name>ExpiryNotice</name>
    <message numerus="yes">
        <source>%n day</source>
        <translation>
            <numerusform>%n jour</numerusform>
            <numerusform>%n jours</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n days</source>
        <translation>
            <numerusform>%n jour</numerusform>
            <numerusform>%n jours</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n licence expires within %1</source>
        <translation>
            <numerusform>%n licence expire dans les %1</numerusform>
            <numerusform>%n licences expirent dans les %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n licences expire within %1</source>
        <translation>
            <numerusform>%n licence expire dans les %1</numerusform>
            <numerusform>%n licences expirent dans les %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n licence has expired</source>
        <translation>
            <numerusform>%n licence a expiré</numerusform>
            <numerusform>%n licences ont expiré</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n licences have expired</source>
        <translation>
            <numerusform>%n licence a expiré</numerusform>
            <numerusform>%n licences ont expiré</numerusform>
        </translation>
    </message>
    <message>
        <source>%1, and %2</source>
        <translation>%1, et %2</translation>
    </message>
    <message>
        <source>Expiring Licences</source>
        <translation>Licences arrivant à échéance</translation>
    </message>
</context>
<context>
    <name>ExportCommand</name>
    <message>
        <source>Writes every record in the order stored: CSV (header program,version,name,serial,date; RFC 4180), JSON or TSV. The format follows FILE&apos;s extension unless given; CSV by default. FILE is made readable by you alone and replaced only once the new one is complete; a device, pipe or folder is refused. --spreadsheet-safe puts a &apos; before CSV cells that begin with =, +, -, @, a tab or a carriage return, so that a spreadsheet does not run them as formulas (the file then no longer imports to the same values). The export of a database protected by a passphrase is plain text, and a warning says so on standard error unless --plain-ok is given.</source>
        <translation>Écrit chaque fiche dans l’ordre enregistré&#xa0;: CSV (en-tête program,version,name,serial,date&#xa0;; RFC 4180), JSON ou TSV. Le format suit l’extension de FICHIER s’il n’est pas donné&#xa0;; CSV par défaut. FICHIER n’est lisible que par vous et n’est remplacé qu’une fois le nouveau complet&#xa0;; un périphérique, un tube ou un dossier est refusé. --spreadsheet-safe met une &apos; devant les cellules CSV qui commencent par =, +, -, @, une tabulation ou un retour chariot, pour qu’un tableur ne les exécute pas comme formules (le fichier ne s’importe alors plus aux mêmes valeurs). L’exportation d’une base protégée par une phrase secrète est en clair, et un avertissement le dit sur la sortie d’erreur, sauf avec --plain-ok.</translation>
    </message>
    <message>
        <source>--format is one of %1</source>
        <translation>--format est l’un de %1</translation>
    </message>
    <message>
        <source>the database is protected by a passphrase, but the export is not: anyone who gets it can read every record (--plain-ok leaves this out)</source>
        <translation>la base de données est protégée par une phrase secrète, mais l’exportation ne l’est pas&#xa0;: quiconque l’obtient peut lire toutes les fiches (--plain-ok omet cet avertissement)</translation>
    </message>
</context>
<context>
    <name>FileBackend</name>
    <message>
        <source>a folder</source>
        <translation>un dossier</translation>
    </message>
    <message>
        <source>a named pipe (FIFO)</source>
        <translation>un tube nommé (FIFO)</translation>
    </message>
    <message>
        <source>a device</source>
        <translation>un périphérique</translation>
    </message>
    <message>
        <source>a socket</source>
        <translation>un socket</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is %2, not a database file.</source>
        <translation>«&#xa0;%1&#xa0;» est %2, pas un fichier de base de données.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a folder, not a database file.</source>
        <translation>«&#xa0;%1&#xa0;» est un dossier, pas un fichier de base de données.</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; does not exist.</source>
        <translation>Le fichier «&#xa0;%1&#xa0;» n’existe pas.</translation>
    </message>
    <message>
        <source>The database refused the request (%1).</source>
        <translation>La base de données a refusé la requête (%1).</translation>
    </message>
    <message>
        <source>The database file is read-only.</source>
        <translation>Le fichier de base de données est en lecture seule.</translation>
    </message>
    <message>
        <source>The database file cannot be read or written.</source>
        <translation>Le fichier de base de données ne peut être ni lu ni écrit.</translation>
    </message>
    <message>
        <source>The database file is damaged or is not a Numira database.</source>
        <translation>Le fichier de base de données est endommagé ou n’est pas une base Numira.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a Numira database.</source>
        <translation>«&#xa0;%1&#xa0;» n’est pas une base Numira.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a Numira database (%2).</source>
        <translation>«&#xa0;%1&#xa0;» n’est pas une base Numira (%2).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be opened (%2).</source>
        <translation>«&#xa0;%1&#xa0;» ne peut pas être ouvert (%2).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; lacks the tables &quot;programs&quot; and &quot;serials&quot;.</source>
        <translation>Il manque à «&#xa0;%1&#xa0;» les tables «&#xa0;programs&#xa0;» et «&#xa0;serials&#xa0;».</translation>
    </message>
</context>
<context>
    <name>HandOverReceiver</name>
    <message>
        <source>Discard what you typed and add the serial from the web browser?</source>
        <translation>Abandonner ce que vous avez saisi et ajouter le numéro de série venu du navigateur&#xa0;?</translation>
    </message>
</context>
<context>
    <name>ImportCommand</name>
    <message>
        <source>Adds the records of a file in one transaction: a bad row adds nothing and is named. CSV columns are matched by header name in any order, separated by , or ; (a UTF-8 byte-order mark is fine); tsv reads the TSV export; keyfinder reads the CSV export of product-key finders (columns such as Product Name and Product Key). The format follows FILE&apos;s extension (.json, .tsv) unless given. FILE is an ordinary file of at most 256 MiB. Serials already stored for their program are skipped and counted unless --allow-duplicate. --dry-run stores nothing and lists what would be added and what is a duplicate.</source>
        <translation>Ajoute les fiches d’un fichier en une transaction&#xa0;: une ligne fautive n’ajoute rien et est nommée. Les colonnes CSV sont reconnues au nom de l’en-tête dans n’importe quel ordre, séparées par , ou ; (une marque d’ordre des octets UTF-8 est acceptée)&#xa0;; tsv lit l’exportation TSV&#xa0;; keyfinder lit l’exportation CSV des outils de recherche de clés de produit (colonnes comme Product Name et Product Key). Le format suit l’extension de FICHIER (.json, .tsv) s’il n’est pas donné. FICHIER est un fichier ordinaire de 256 Mio au plus. Les numéros de série déjà enregistrés pour leur programme sont sautés et comptés, sauf avec --allow-duplicate. --dry-run n’enregistre rien et liste ce qui serait ajouté et ce qui est un doublon.</translation>
    </message>
    <message>
        <source>--format is one of %1</source>
        <translation>--format est l’un de %1</translation>
    </message>
    <message>
        <source>%1 Nothing was imported.</source>
        <translation>%1 Rien n’a été importé.</translation>
    </message>
    <message>
        <source>%1: %2 Nothing was imported.</source>
        <translation>%1&#xa0;: %2 Rien n’a été importé.</translation>
    </message>
    <message>
        <source>Would add %1 records (%2 new programs), would skip %3 duplicates.
</source>
        <translation>Ajouterait %1 fiches (%2 nouveaux programmes), sauterait %3 doublons.
</translation>
    </message>
    <message>
        <source>Added %1 records (%2 new programs), skipped %3 duplicates.
</source>
        <translation>%1 fiches ajoutées (%2 nouveaux programmes), %3 doublons sautés.
</translation>
    </message>
</context>
<context>
    <name>ImportJob</name>
    <message>
        <source>The import was cancelled.</source>
        <translation>L’importation a été annulée.</translation>
    </message>
</context>
<context>
    <name>InstanceServer</name>
    <message>
        <source>There is no private folder for the socket.</source>
        <translation>Il n’y a pas de dossier privé pour le socket.</translation>
    </message>
</context>
<context>
    <name>ListCommand</name>
    <message>
        <source>Lists every record by program and version, or the records of one program (letter case aside), highest version first.</source>
        <translation>Liste chaque fiche par programme et version, ou les fiches d’un programme (sans tenir compte de la casse), la version la plus haute d’abord.</translation>
    </message>
</context>
<context>
    <name>LockScreen</name>
    <message>
        <source>Numira is locked</source>
        <translation>Numira est verrouillé</translation>
    </message>
    <message>
        <source>The database &quot;%1&quot; is locked. Enter its passphrase to open it again.</source>
        <translation>La base de données «&#xa0;%1&#xa0;» est verrouillée. Saisissez sa phrase secrète pour la rouvrir.</translation>
    </message>
    <message>
        <source>Passphrase:</source>
        <translation>Phrase&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;Unlock</source>
        <translation>&amp;Déverrouiller</translation>
    </message>
    <message>
        <source>From the &amp;Keyring</source>
        <translation>Depuis le &amp;trousseau</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>the server cannot be reached</source>
        <translation>le serveur est injoignable</translation>
    </message>
    <message>
        <source>locked</source>
        <translation>verrouillée</translation>
    </message>
    <message>
        <source>Another Instance of Numira is Already Running!  Please close it before you try and open a new instance!</source>
        <translation>Numira est déjà lancé&#xa0;!  Veuillez le fermer avant d’en ouvrir un autre&#xa0;!</translation>
    </message>
    <message>
        <source>The database server answers again.</source>
        <translation>Le serveur de base de données répond de nouveau.</translation>
    </message>
    <message>
        <source>The database is locked.</source>
        <translation>La base de données est verrouillée.</translation>
    </message>
    <message>
        <source>Numira Online Community!</source>
        <translation>Communauté Numira en ligne&#xa0;!</translation>
    </message>
    <message>
        <source>Add a New Serial to Your Database</source>
        <translation>Ajouter un numéro de série à votre base</translation>
    </message>
    <message>
        <source>Browse Your Database by Program</source>
        <translation>Parcourir votre base par programme</translation>
    </message>
    <message>
        <source>Search Your Serial Database by Keywords</source>
        <translation>Rechercher dans votre base par mots-clés</translation>
    </message>
    <message>
        <source>Goto Numira Startup Page</source>
        <translation>Aller à la page d’accueil de Numira</translation>
    </message>
    <message>
        <source>Show Current Page You Are at in Browser</source>
        <translation>Afficher la page actuelle dans le navigateur</translation>
    </message>
    <message>
        <source>About</source>
        <translation>À propos</translation>
    </message>
    <message>
        <source>Change Database</source>
        <translation>Changer de base de données</translation>
    </message>
    <message>
        <source>Close Program</source>
        <translation>Fermer le programme</translation>
    </message>
    <message>
        <source>Minimize to System Tray!</source>
        <translation>Réduire dans la zone de notification&#xa0;!</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Ajouter</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Parcourir</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Rechercher</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Accueil</translation>
    </message>
    <message>
        <source>Browser</source>
        <translation>Navigateur</translation>
    </message>
    <message>
        <source>Numira Online Community</source>
        <translation>Communauté en ligne Numira</translation>
    </message>
</context>
<context>
    <name>NativeHostManifests</name>
    <message>
        <source>Cannot create the folder %1.</source>
        <translation>Impossible de créer le dossier %1.</translation>
    </message>
    <message>
        <source>Cannot write %1 in the folder %2: %3.</source>
        <translation>Impossible d’écrire %1 dans le dossier %2&#xa0;: %3.</translation>
    </message>
    <message>
        <source>Cannot remove %1: %2.</source>
        <translation>Impossible de supprimer %1&#xa0;: %2.</translation>
    </message>
</context>
<context>
    <name>NativeHostRegistry</name>
    <message>
        <source>Cannot write the registry key %1.</source>
        <translation>Impossible d’écrire la clé de registre %1.</translation>
    </message>
    <message>
        <source>Cannot remove the registry key %1.</source>
        <translation>Impossible de supprimer la clé de registre %1.</translation>
    </message>
</context>
<context>
    <name>NativeMessage</name>
    <message>
        <source>The text is empty.</source>
        <translation>Le texte est vide.</translation>
    </message>
    <message>
        <source>The text holds a NUL character.</source>
        <translation>Le texte contient un caractère NUL.</translation>
    </message>
    <message>
        <source>The text holds an unpaired surrogate.</source>
        <translation>Le texte contient un demi-codet isolé.</translation>
    </message>
    <message>
        <source>The text is %1 bytes long; at most %2 are taken.</source>
        <translation>Le texte fait %1&#xa0;octets&#xa0;; %2 au plus sont acceptés.</translation>
    </message>
</context>
<context>
    <name>OptionsDialog</name>
    <message>
        <source>Options</source>
        <translation>Options</translation>
    </message>
    <message>
        <source> s</source>
        <translation>&#xa0;s</translation>
    </message>
    <message>
        <source>Never</source>
        <translation>Jamais</translation>
    </message>
    <message>
        <source> min</source>
        <translation>&#xa0;min</translation>
    </message>
    <message>
        <source>Lock when &amp;minimised to the tray</source>
        <translation>Verrouiller à la &amp;réduction dans la zone de notification</translation>
    </message>
    <message>
        <source>&amp;Clear a copied serial after:</source>
        <translation>&amp;Effacer un numéro copié après&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;Lock a protected database after:</source>
        <translation>&amp;Verrouiller une base protégée après&#xa0;:</translation>
    </message>
    <message>
        <source>A protected database also locks when the desktop session locks.</source>
        <translation>Une base protégée se verrouille aussi quand la session du bureau se verrouille.</translation>
    </message>
    <message>
        <source> days</source>
        <translation> jours</translation>
    </message>
    <message>
        <source>&amp;Warn of a licence&apos;s expiry before:</source>
        <translation>&amp;Avertir avant l&apos;expiration :</translation>
    </message>
</context>
<context>
    <name>PassphraseDialog</name>
    <message>
        <source>&amp;Again:</source>
        <translation>&amp;Confirmer&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;Remember it in the keyring</source>
        <translation>&amp;Mémoriser dans le trousseau</translation>
    </message>
    <message>
        <source>Strength: %1</source>
        <translation>Robustesse&#xa0;: %1</translation>
    </message>
    <message>
        <source>The two passphrases differ.</source>
        <translation>Les deux phrases secrètes diffèrent.</translation>
    </message>
</context>
<context>
    <name>PassphraseKeyring</name>
    <message>
        <source>No keyring: there is no desktop session bus.</source>
        <translation>Pas de trousseau&#xa0;: il n’y a pas de bus de session du bureau.</translation>
    </message>
    <message>
        <source>No keyring: no Secret Service (GNOME Keyring, KWallet) is running.</source>
        <translation>Pas de trousseau&#xa0;: aucun Secret Service (GNOME Keyring, KWallet) n’est lancé.</translation>
    </message>
</context>
<context>
    <name>PopupMenus</name>
    <message>
        <source>&amp;Open Database</source>
        <translation>&amp;Ouvrir une base de données</translation>
    </message>
    <message>
        <source>&amp;Backup Database</source>
        <translation>&amp;Sauvegarder la base de données</translation>
    </message>
    <message>
        <source>&amp;Import Records...</source>
        <translation>&amp;Importer des fiches...</translation>
    </message>
    <message>
        <source>E&amp;xport Records...</source>
        <translation>E&amp;xporter des fiches...</translation>
    </message>
    <message>
        <source>&amp;Protect with Passphrase...</source>
        <translation>&amp;Protéger par phrase secrète...</translation>
    </message>
    <message>
        <source>&amp;Change Passphrase...</source>
        <translation>&amp;Changer la phrase secrète...</translation>
    </message>
    <message>
        <source>&amp;Remove Passphrase...</source>
        <translation>&amp;Retirer la phrase secrète...</translation>
    </message>
    <message>
        <source>&amp;Lock Database</source>
        <translation>&amp;Verrouiller la base de données</translation>
    </message>
    <message>
        <source>Op&amp;tions...</source>
        <translation>Op&amp;tions...</translation>
    </message>
    <message>
        <source>Abo&amp;ut</source>
        <translation>À &amp;propos</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Options</translation>
    </message>
    <message>
        <source>S&amp;kins</source>
        <translation>&amp;Thèmes</translation>
    </message>
    <message>
        <source>&amp;Database</source>
        <translation>&amp;Base de données</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Ajouter</translation>
    </message>
    <message>
        <source>&amp;Browse</source>
        <translation>Pa&amp;rcourir</translation>
    </message>
    <message>
        <source>&amp;Search</source>
        <translation>Re&amp;chercher</translation>
    </message>
    <message>
        <source>Bro&amp;wser</source>
        <translation>&amp;Navigateur</translation>
    </message>
    <message>
        <source>&amp;Home</source>
        <translation>Acc&amp;ueil</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>Close the records and forget the key until the passphrase is given again</source>
        <translation>Fermer les fiches et oublier la clé jusqu’à ce que la phrase secrète soit redonnée</translation>
    </message>
    <message>
        <source>&amp;Expiring Licences...</source>
        <translation>&amp;Licences à échéance...</translation>
    </message>
</context>
<context>
    <name>ProgramsCommand</name>
    <message>
        <source>Lists the program names.</source>
        <translation>Liste les noms des programmes.</translation>
    </message>
</context>
<context>
    <name>Prompt</name>
    <message>
        <source>&amp;Passphrase:</source>
        <translation>&amp;Phrase secrète&#xa0;:</translation>
    </message>
</context>
<context>
    <name>ProtectCommand</name>
    <message>
        <source>Encrypts the database with a passphrase, read from descriptor N or asked twice on the terminal. The file is replaced only once the encrypted copy is complete on disk. --remember keeps the passphrase in the desktop&apos;s keyring, where numira-cli and Numira find it.</source>
        <translation>Chiffre la base de données avec une phrase secrète, lue sur le descripteur N ou demandée deux fois sur le terminal. Le fichier n’est remplacé qu’une fois la copie chiffrée complète sur le disque. --remember garde la phrase secrète dans le trousseau du bureau, où numira-cli et Numira la trouvent.</translation>
    </message>
    <message>
        <source>A passphrase protects a database file. A database on a server is protected by the server&apos;s own roles and rights.</source>
        <translation>Une phrase secrète protège un fichier de base de données. Une base sur un serveur est protégée par les rôles et les droits du serveur.</translation>
    </message>
    <message>
        <source>The database is protected by a passphrase already.</source>
        <translation>La base de données est déjà protégée par une phrase secrète.</translation>
    </message>
    <message>
        <source>The database is protected, but the keyring did not keep the passphrase: %1</source>
        <translation>La base de données est protégée, mais le trousseau n’a pas gardé la phrase secrète&#xa0;: %1</translation>
    </message>
</context>
<context>
    <name>QtPrompt</name>
    <message>
        <source>On a &amp;Server...</source>
        <translation>Sur un &amp;serveur...</translation>
    </message>
</context>
<context>
    <name>QuickAddHost</name>
    <message>
        <source>Cannot start %1: %2</source>
        <translation>Impossible de lancer %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>Numira is not installed: no numira beside %1 or on the PATH.</source>
        <translation>Numira n’est pas installé&#xa0;: pas de numira à côté de %1 ni dans le PATH.</translation>
    </message>
    <message>
        <source>Cannot answer the browser: %1</source>
        <translation>Impossible de répondre au navigateur&#xa0;: %1</translation>
    </message>
    <message>
        <source>Quick add is turned off in Numira&apos;s About window. To turn it on, open Numira, click &quot;A&quot; for About, check &quot;Use Quick Add Shortcut in the Web Browser&quot; and press OK.</source>
        <translation>L’ajout rapide est désactivé dans la fenêtre À propos de Numira. Pour l’activer, ouvrez Numira, cliquez sur «&#xa0;A&#xa0;» pour À propos, cochez «&#xa0;Ajout rapide depuis le navigateur web&#xa0;» et appuyez sur OK.</translation>
    </message>
</context>
<context>
    <name>RecordCopier</name>
    <message>
        <source>Copy &amp;Serial</source>
        <translation>Copier le &amp;numéro de série</translation>
    </message>
    <message>
        <source>Copy &amp;Record</source>
        <translation>Copier la &amp;fiche</translation>
    </message>
    <message>
        <source>The record could not be read!</source>
        <translation>La fiche n’a pas pu être lue&#xa0;!</translation>
    </message>
    <message>
        <source>The record no longer exists.</source>
        <translation>La fiche n’existe plus.</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Fiche</translation>
    </message>
</context>
<context>
    <name>RecordDetails</name>
    <message>
        <source>The number of seats cannot be less than 0.</source>
        <translation>Le nombre de postes ne peut pas être inférieur à 0.</translation>
    </message>
    <message>
        <source>The date &quot;%1&quot; for %2 is not a real day of the form YYYY-MM-DD.</source>
        <translation>La date « %1 » pour %2 n&apos;est pas un vrai jour de la forme YYYY-MM-DD.</translation>
    </message>
    <message>
        <source>The number of seats &quot;%1&quot; is not a whole number of 0 or more.</source>
        <translation>Le nombre de postes « %1 » n&apos;est pas un entier de 0 ou plus.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is no detail of a record.</source>
        <translation>« %1 » n&apos;est pas un détail d&apos;enregistrement.</translation>
    </message>
</context>
<context>
    <name>RecordImport</name>
    <message>
        <source>The file is not UTF-8 text.</source>
        <translation>Le fichier n’est pas du texte UTF-8.</translation>
    </message>
    <message>
        <source>Line %1: a quoted field is not closed.</source>
        <translation>Ligne %1&#xa0;: un champ entre guillemets n’est pas fermé.</translation>
    </message>
    <message>
        <source>Line %1: text follows a closing quote.</source>
        <translation>Ligne %1&#xa0;: du texte suit un guillemet fermant.</translation>
    </message>
    <message>
        <source>Line %1: a backslash must be followed by \, t, n or r.</source>
        <translation>Ligne %1&#xa0;: une barre oblique inverse doit être suivie de \, t, n ou r.</translation>
    </message>
    <message>
        <source>%1: the date &quot;%2&quot; is not an ISO 8601 date.</source>
        <translation>%1&#xa0;: la date «&#xa0;%2&#xa0;» n’est pas une date ISO 8601.</translation>
    </message>
    <message>
        <source>The header names the column &quot;%1&quot; twice.</source>
        <translation>L’en-tête nomme deux fois la colonne «&#xa0;%1&#xa0;».</translation>
    </message>
    <message>
        <source>The header names no product and key columns.</source>
        <translation>L’en-tête ne nomme aucune colonne de produit et de clé.</translation>
    </message>
    <message>
        <source>The header needs the columns &quot;program&quot; and &quot;serial&quot;.</source>
        <translation>L’en-tête doit avoir les colonnes «&#xa0;program&#xa0;» et «&#xa0;serial&#xa0;».</translation>
    </message>
    <message>
        <source>Row %1 (line %2)</source>
        <translation>Rangée %1 (ligne %2)</translation>
    </message>
    <message>
        <source>%1: %2 fields where the header has %3.</source>
        <translation>%1&#xa0;: %2 champs alors que l’en-tête en a %3.</translation>
    </message>
    <message>
        <source>The file has no header row.</source>
        <translation>Le fichier n’a pas de ligne d’en-tête.</translation>
    </message>
    <message>
        <source>The file holds a lone UTF-16 surrogate (%1) at byte %2.</source>
        <translation>Le fichier contient un demi-codet UTF-16 isolé (%1) à l’octet %2.</translation>
    </message>
    <message>
        <source>Record %1: &quot;%2&quot; holds a lone UTF-16 surrogate (%3).</source>
        <translation>Fiche %1&#xa0;: «&#xa0;%2&#xa0;» contient un demi-codet UTF-16 isolé (%3).</translation>
    </message>
    <message>
        <source>The file is not valid JSON (at byte %1: %2).</source>
        <translation>Le fichier n’est pas du JSON valide (à l’octet %1&#xa0;: %2).</translation>
    </message>
    <message>
        <source>The file is no Numira export of version 1.</source>
        <translation>Le fichier n’est pas une exportation Numira de version 1.</translation>
    </message>
    <message>
        <source>Record %1</source>
        <translation>Fiche %1</translation>
    </message>
    <message>
        <source>%1: not an object.</source>
        <translation>%1&#xa0;: pas un objet.</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; is not a text.</source>
        <translation>%1&#xa0;: «&#xa0;%2&#xa0;» n’est pas un texte.</translation>
    </message>
    <message numerus="yes">
        <source>The input is larger than %n bytes.</source>
        <translation>
            <numerusform>L’entrée dépasse %n octet.</numerusform>
            <numerusform>L’entrée dépasse %n octets.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RecordRule</name>
    <message>
        <source>The serial is empty.</source>
        <translation>Le numéro de série est vide.</translation>
    </message>
    <message>
        <source>The program name is empty.</source>
        <translation>Le nom du programme est vide.</translation>
    </message>
    <message>
        <source>The program name holds a line break.</source>
        <translation>Le nom du programme contient un saut de ligne.</translation>
    </message>
    <message>
        <source>The program name holds no visible character.</source>
        <translation>Le nom du programme ne contient aucun caractère visible.</translation>
    </message>
</context>
<context>
    <name>RecordStore</name>
    <message>
        <source>Record %1: %2</source>
        <translation>Fiche %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>The import was cancelled.</source>
        <translation>L’importation a été annulée.</translation>
    </message>
    <message>
        <source> The import rebuilds it first.</source>
        <translation> L’importation le reconstruit d’abord.</translation>
    </message>
    <message>
        <source> It was rebuilt before the records were stored.</source>
        <translation> Il a été reconstruit avant l’enregistrement des fiches.</translation>
    </message>
</context>
<context>
    <name>RemoveCommand</name>
    <message>
        <source>Deletes one record; its program name stays.</source>
        <translation>Supprime une fiche&#xa0;; le nom de son programme reste.</translation>
    </message>
</context>
<context>
    <name>ScreenKit</name>
    <message>
        <source>This serial is already stored for %1. Add it anyway?</source>
        <translation>Ce numéro de série est déjà enregistré pour %1. L’ajouter quand même&#xa0;?</translation>
    </message>
    <message>
        <source>Serial</source>
        <translation>Numéro de série</translation>
    </message>
</context>
<context>
    <name>SearchCommand</name>
    <message>
        <source>--by is one of all, program, version, name, serial</source>
        <translation>--by est l’un de all, program, version, name, serial</translation>
    </message>
    <message>
        <source>Lists the records whose field contains KEYWORD, as the search screen finds them: letter case aside, with % matching any text and _ any one character. A KEYWORD that begins with - is given after --, as in: search -- -K9Z; before it, it is taken for an option.</source>
        <translation>Liste les enregistrements dont le champ contient KEYWORD, comme l&apos;écran de recherche les trouve : sans tenir compte de la casse, % remplaçant n&apos;importe quel texte et _ un seul caractère. Un KEYWORD qui commence par - se donne après --, par exemple : search -- -K9Z ; avant, il est pris pour une option.</translation>
    </message>
</context>
<context>
    <name>SearchIndexDialog</name>
    <message>
        <source>Preparing the search index of your database...</source>
        <translation>Préparation de l’index de recherche de votre base...</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
</context>
<context>
    <name>SearchScreen</name>
    <message>
        <source>Search: </source>
        <translation>Recherche&#xa0;: </translation>
    </message>
    <message>
        <source>Keywords:</source>
        <translation>Mots-clés&#xa0;:</translation>
    </message>
    <message>
        <source>Search By:</source>
        <translation>Champ&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;Search</source>
        <translation>Re&amp;chercher</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>Programme</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>&amp;Look Closer</source>
        <translation>&amp;Détails</translation>
    </message>
    <message>
        <source>All</source>
        <translation>Tout</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nom</translation>
    </message>
    <message>
        <source>Serial</source>
        <translation>Numéro de série</translation>
    </message>
    <message>
        <source>Searching... (Esc cancels)</source>
        <translation>Recherche... (Échap annule)</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Aucun</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>résultat</translation>
    </message>
    <message>
        <source>Found!</source>
        <translation>trouvé&#xa0;!</translation>
    </message>
    <message>
        <source>The search could not be run!</source>
        <translation>La recherche n’a pas pu être lancée&#xa0;!</translation>
    </message>
    <message>
        <source>Search cancelled</source>
        <translation>Recherche annulée</translation>
    </message>
    <message>
        <source>Search Results</source>
        <translation>Résultats de la recherche</translation>
    </message>
</context>
<context>
    <name>ServerAddressDialog</name>
    <message>
        <source>Open Database on a Server</source>
        <translation>Ouvrir une base de données sur un serveur</translation>
    </message>
    <message>
        <source>Server &amp;address:</source>
        <translation>&amp;Adresse du serveur&#xa0;:</translation>
    </message>
    <message>
        <source>A PostgreSQL connection URI such as postgresql://user@host:5432/numira, or a service of pg_service.conf such as service=licences. The password comes from ~/.pgpass or the service file, else Numira asks for it.</source>
        <translation>Une URI de connexion PostgreSQL comme postgresql://utilisateur@hote:5432/numira, ou un service de pg_service.conf comme service=licences. Le mot de passe vient de ~/.pgpass ou du fichier de services, sinon Numira le demande.</translation>
    </message>
    <message>
        <source>&amp;Connect</source>
        <translation>Se &amp;connecter</translation>
    </message>
</context>
<context>
    <name>ServerBackend</name>
    <message>
        <source>The connection to the database server was lost.</source>
        <translation>La connexion au serveur de base de données a été perdue.</translation>
    </message>
    <message>
        <source>The database server is busy; please try again.</source>
        <translation>Le serveur de base de données est occupé&#xa0;; veuillez réessayer.</translation>
    </message>
    <message>
        <source>The database server&apos;s disk is full.</source>
        <translation>Le disque du serveur de base de données est plein.</translation>
    </message>
    <message>
        <source>The database server cannot store a text that holds a NUL character or is not valid UTF-8.</source>
        <translation>Le serveur de base de données ne peut pas enregistrer un texte qui contient un caractère NUL ou n’est pas de l’UTF-8 valide.</translation>
    </message>
    <message>
        <source>The database refused the request (%1).</source>
        <translation>La base de données a refusé la requête (%1).</translation>
    </message>
</context>
<context>
    <name>ServerConnection</name>
    <message>
        <source>The database server refused the password.</source>
        <translation>Le serveur de base de données a refusé le mot de passe.</translation>
    </message>
    <message>
        <source>The database server of &quot;%1&quot; cannot be reached (%2).</source>
        <translation>Le serveur de base de données de «&#xa0;%1&#xa0;» est injoignable (%2).</translation>
    </message>
    <message>
        <source>The database server of &quot;%1&quot; asks for a password.</source>
        <translation>Le serveur de base de données de «&#xa0;%1&#xa0;» demande un mot de passe.</translation>
    </message>
    <message>
        <source>Numira cannot reach database servers on this computer: Qt&apos;s PostgreSQL driver is not installed.</source>
        <translation>Numira ne peut pas joindre de serveurs de bases de données sur cet ordinateur&#xa0;: le pilote PostgreSQL de Qt n’est pas installé.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; holds tables of another program and not Numira&apos;s.</source>
        <translation>«&#xa0;%1&#xa0;» contient les tables d’un autre programme et non celles de Numira.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was made by a later version of Numira.</source>
        <translation>«&#xa0;%1&#xa0;» a été créée par une version plus récente de Numira.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; holds the tables of an earlier version of Numira, which you may not change. Its owner, or another user who may change its tables, must open it once with this version of Numira.</source>
        <translation>« %1 » contient les tables d&apos;une version antérieure de Numira, que vous n&apos;avez pas le droit de modifier. Son propriétaire, ou un autre utilisateur qui peut modifier ses tables, doit l&apos;ouvrir une fois avec cette version de Numira.</translation>
    </message>
</context>
<context>
    <name>ShowCommand</name>
    <message>
        <source>--field is one of %1</source>
        <translation>--field est l’un de %1</translation>
    </message>
    <message>
        <source>Shows one record with its details (email, url, purchased, expires, seats, order, notes; empty where not recorded). With --field, prints that one value exactly as stored, with no quoting and no line end added (one is added on a terminal).</source>
        <translation>Affiche un enregistrement avec ses détails (email, url, purchased, expires, seats, order, notes ; vides s&apos;ils ne sont pas renseignés). Avec --field, affiche cette seule valeur telle qu&apos;elle est stockée, sans guillemets ni fin de ligne ajoutée (une est ajoutée dans un terminal).</translation>
    </message>
</context>
<context>
    <name>SingleInstance</name>
    <message>
        <source>Numira cannot create its lock file &quot;%1&quot;.</source>
        <translation>Numira ne peut pas créer son fichier de verrou «&#xa0;%1&#xa0;».</translation>
    </message>
</context>
<context>
    <name>SkinChoice</name>
    <message>
        <source>Invalid Skin INI File!  No Changes Made!</source>
        <translation>Fichier INI de thème non valide&#xa0;!  Rien n’a changé&#xa0;!</translation>
    </message>
    <message>
        <source>Change Skin</source>
        <translation>Changer de thème</translation>
    </message>
    <message>
        <source>Skin INI File (*.ini)|*.ini| </source>
        <translation>Fichier INI de thème (*.ini)|*.ini| </translation>
    </message>
    <message>
        <source>Skin will be loaded next time you run Numira!</source>
        <translation>Le thème sera chargé au prochain lancement de Numira&#xa0;!</translation>
    </message>
</context>
<context>
    <name>SqliteDriver</name>
    <message>
        <source>Error opening database</source>
        <translation>Erreur à l’ouverture de la base de données</translation>
    </message>
    <message>
        <source>Error closing database</source>
        <translation>Erreur à la fermeture de la base de données</translation>
    </message>
    <message>
        <source>Unable to begin transaction</source>
        <translation>Impossible de commencer la transaction</translation>
    </message>
    <message>
        <source>Unable to commit transaction</source>
        <translation>Impossible de valider la transaction</translation>
    </message>
    <message>
        <source>Unable to rollback transaction</source>
        <translation>Impossible d’annuler la transaction</translation>
    </message>
</context>
<context>
    <name>StartupRules</name>
    <message>
        <source>The folder &quot;%1&quot; could not be made.</source>
        <translation>Le dossier «&#xa0;%1&#xa0;» n’a pas pu être créé.</translation>
    </message>
    <message>
        <source>The empty database &quot;%1&quot; could not be read: %2</source>
        <translation>La base de données vide «&#xa0;%1&#xa0;» n’a pas pu être lue&#xa0;: %2</translation>
    </message>
    <message>
        <source>The database &quot;%1&quot; could not be made: %2</source>
        <translation>La base de données «&#xa0;%1&#xa0;» n’a pas pu être créée&#xa0;: %2</translation>
    </message>
    <message>
        <source>Numira keeps its lock in &quot;%1&quot;, which must be a folder of your own that no one else may use.</source>
        <translation>Numira garde son verrou dans «&#xa0;%1&#xa0;», qui doit être un dossier à vous que personne d’autre ne peut utiliser.</translation>
    </message>
    <message>
        <source>NotConnected.htm</source>
        <comment>the file of the offline start page in this language</comment>
        <translation>NotConnected_fr.htm</translation>
    </message>
</context>
<context>
    <name>StoreError</name>
    <message>
        <source>No database is open!  Please choose your database with &quot;DB&quot; &gt; &quot;Open Database&quot; first.</source>
        <translation>Aucune base de données n’est ouverte&#xa0;!  Veuillez d’abord choisir votre base avec «&#xa0;DB&#xa0;» &gt; «&#xa0;Ouvrir une base de données&#xa0;».</translation>
    </message>
    <message>
        <source>The database file is in use by another program.</source>
        <translation>Le fichier de base de données est utilisé par un autre programme.</translation>
    </message>
    <message>
        <source>The database file is damaged!  Numira leaves it as it is, so that nothing more is lost.  Please open your latest backup of it instead.</source>
        <translation>Le fichier de base de données est endommagé&#xa0;!  Numira le laisse tel quel, pour que rien de plus ne soit perdu.  Veuillez plutôt ouvrir votre dernière sauvegarde.</translation>
    </message>
    <message>
        <source>The database&apos;s index %1 does not match its records; the records themselves are whole, and rebuilding the index from them mends the file.</source>
        <translation>L’index %1 de la base de données ne correspond pas à ses fiches&#xa0;; les fiches elles-mêmes sont entières, et reconstruire l’index à partir d’elles répare le fichier.</translation>
    </message>
    <message>
        <source>The disk is full.</source>
        <translation>Le disque est plein.</translation>
    </message>
    <message>
        <source>You may not change this database.</source>
        <translation>Vous n’avez pas le droit de modifier cette base de données.</translation>
    </message>
    <message>
        <source>The passphrase is not right.</source>
        <translation>La phrase secrète n’est pas la bonne.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is protected by a passphrase.</source>
        <translation>«&#xa0;%1&#xa0;» est protégé par une phrase secrète.</translation>
    </message>
</context>
<context>
    <name>TargetFile</name>
    <message>
        <source>No file is named.</source>
        <translation>Aucun fichier n’est nommé.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be examined (%2).</source>
        <translation>«&#xa0;%1&#xa0;» ne peut pas être examiné (%2).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a symbolic link that another user owns in a shared folder; it is not followed.</source>
        <translation>«&#xa0;%1&#xa0;» est un lien symbolique qui appartient à un autre utilisateur dans un dossier partagé&#xa0;; il n’est pas suivi.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; leads through &quot;%2&quot;, a symbolic link that another user owns in a shared folder; it is not followed.</source>
        <translation>«&#xa0;%1&#xa0;» passe par «&#xa0;%2&#xa0;», un lien symbolique qui appartient à un autre utilisateur dans un dossier partagé&#xa0;; il n’est pas suivi.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; leads through too many symbolic links.</source>
        <translation>«&#xa0;%1&#xa0;» passe par trop de liens symboliques.</translation>
    </message>
    <message>
        <source>not an ordinary file</source>
        <translation>pas un fichier ordinaire</translation>
    </message>
    <message>
        <source>a folder</source>
        <translation>un dossier</translation>
    </message>
    <message>
        <source>a device</source>
        <translation>un périphérique</translation>
    </message>
    <message>
        <source>a named pipe</source>
        <translation>un tube nommé</translation>
    </message>
    <message>
        <source>a socket</source>
        <translation>un socket</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is %2, not a file; it is left as it is.</source>
        <translation>«&#xa0;%1&#xa0;» est %2, pas un fichier&#xa0;; il reste tel quel.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a file; it is left as it is.</source>
        <translation>«&#xa0;%1&#xa0;» n’est pas un fichier&#xa0;; il reste tel quel.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be written (%2).</source>
        <translation>«&#xa0;%1&#xa0;» ne peut pas être écrit (%2).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be written (%2).</source>
        <translation>«&#xa0;%1&#xa0;» n’a pas pu être écrit (%2).</translation>
    </message>
    <message>
        <source>it was not begun</source>
        <translation>il n’a pas été commencé</translation>
    </message>
    <message>
        <source>it changed while it was written</source>
        <translation>il a changé pendant son écriture</translation>
    </message>
</context>
<context>
    <name>TrayManager</name>
    <message>
        <source>&amp;Show Numira</source>
        <translation>&amp;Afficher Numira</translation>
    </message>
    <message>
        <source>&amp;Add Serial...</source>
        <translation>A&amp;jouter un numéro...</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>&amp;Expiring Licences...</source>
        <translation>&amp;Licences à échéance...</translation>
    </message>
</context>
<context>
    <name>UnprotectCommand</name>
    <message>
        <source>Takes the passphrase off a protected database: the file is plain SQLite again.</source>
        <translation>Retire la phrase secrète d’une base protégée&#xa0;: le fichier redevient du SQLite ordinaire.</translation>
    </message>
</context>
<context>
    <name>numira-cli</name>
    <message>
        <source>argument %1 is not UTF-8 text; nothing was done (see numira-cli --help)</source>
        <translation>l’argument %1 n’est pas du texte UTF-8&#xa0;; rien n’a été fait (voir numira-cli --help)</translation>
    </message>
</context>
</TS>
