#pragma once
// TCommandMethods: the command manager's one output listener (the console).

class TCommandMethods
{
public:
    virtual ~TCommandMethods();
    // Every printed line; isError is 1 for PrintError lines.
    virtual void PrintLine(const char* text, int isError) = 0;
    // The console's input line becomes the text.
    virtual void SetInput(const char* text);
    // The text is appended to the console's input line.
    virtual void AppendInput(const char* text);
};
