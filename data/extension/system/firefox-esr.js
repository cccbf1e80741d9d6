// Numira's quick add: Firefox ESR loads the add-on in /usr/share/mozilla/extensions/ at the
// first start of a new profile, but an existing profile looks into that folder only when it
// is told to. 8 is the system scope; scanning it at each start costs a look at that folder.
pref("extensions.startupScanScopes", 8);
