// The tool's commands. Each command file declares its subcommand and options on the command
// line (cli/command_line.h) and is listed once in cli/command_table.cpp.
#pragma once

class CommandLine;

void DeclareScan(CommandLine* line);
void DeclareAt(CommandLine* line);
void DeclareInfo(CommandLine* line);
void DeclareTerm(CommandLine* line);
void DeclareWatch(CommandLine* line);
void DeclareCell(CommandLine* line);
// The Prometheus exporter (Linux; the Windows build says it has none).
void DeclareServe(CommandLine* line);
// The hidden reading process of info --all and serve (see command_read_modem.cpp).
void DeclareReadModem(CommandLine* line);

struct ManyOptions;
// info --all, after its options are read.
int RunInfoAll(const ManyOptions& options);
