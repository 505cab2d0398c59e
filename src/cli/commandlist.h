// Every command of moravel-cli, in the order `--help` lists them. Each command is a class
// derived from Command in a source file of its own that also defines the factory named here;
// adding a command is that file and one line below. (Included twice by command.cpp, on purpose
// without an include guard.)
MORAVEL_CLI_COMMAND(newPlanCommand)
MORAVEL_CLI_COMMAND(newLogCommand)
MORAVEL_CLI_COMMAND(newCleanCommand)
MORAVEL_CLI_COMMAND(newRestoreCommand)
