#pragma once

#include <QString>

class SecretBytes;

// Where numira-cli reads a passphrase: a file descriptor the caller opened (a pipe from a
// password manager, a here-document), else the terminal with echo off. Never the command line
// or the environment, which other users of the machine can read.
namespace CliPassphrase {

// Reads up to the first line end (or the end of input) from descriptor, which stays open. An
// empty passphrase is an error.
bool readDescriptor(int descriptor, SecretBytes* passphrase, QString* error);

// Asks on the controlling terminal, echo off; with twice, asks again and compares. False with
// error when the process has no terminal or the two differ.
bool askTerminal(const QString& question, bool twice, SecretBytes* passphrase, QString* error);

// The descriptor named by an option's value ("3"); false for anything but a number >= 0.
bool descriptorFromText(const QString& text, int* descriptor);

} // namespace CliPassphrase
