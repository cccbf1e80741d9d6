-- The empty Numira database. Text compares without regard to letter case, as users of the
-- original Access files expect; the date is stored as ISO text "YYYY-MM-DDTHH:MM:SS".
CREATE TABLE programs (
    program TEXT COLLATE NOCASE
);

CREATE TABLE serials (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    program TEXT COLLATE NOCASE,
    version TEXT COLLATE NOCASE,
    name TEXT COLLATE NOCASE,
    serial TEXT COLLATE NOCASE,
    date TEXT
);

CREATE INDEX serials_program_version ON serials (program, version);
