#pragma once

#include <QStringList>

// The developers' command line: one function per subcommand, each taking the
// arguments that follow the subcommand's name and returning the exit status.
namespace parley::dev {

struct Command {
    const char* name;
    const char* usage;
    int (*run)(const QStringList& arguments);
};

// Parses the chat lines of one frame read from standard input.
int runIrc(const QStringList& arguments);

// Loads image URLs through an image pipeline like the app's and reports each result.
int runImages(const QStringList& arguments);

// Joins a chat channel: log lines out, typed lines sent as messages.
int runChat(const QStringList& arguments);

// Exercises the Twitch web service client: authorisation URL, validation,
// token from a redirect, emote catalogues.
int runApi(const QStringList& arguments);

// Moderates the token's own channel: deletes a message, times out, bans or
// unbans a user; prints the result in one line.
int runMod(const QStringList& arguments);

// Runs a signed-in session headless and prints its emote state as it changes.
int runSession(const QStringList& arguments);

// Signs in through the application controller of a bundle, without a browser.
int runLogin(const QStringList& arguments);

// Shows the chat window against an in-process simulator, optionally saving a picture of it.
int runWindow(const QStringList& arguments);

// Logs out through the application controller of a bundle: revokes the
// restored token and removes the stored items.
int runLogout(const QStringList& arguments);

} // namespace parley::dev
